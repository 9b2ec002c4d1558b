#include <gtest/gtest.h>

#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "lsp/Navigation.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

// The offset of the first byte of `needle` (after `skip` earlier matches).
std::size_t offsetOf(const std::string& text, const std::string& needle, int skip = 0) {
    std::size_t at = text.find(needle);
    while (skip-- > 0) at = text.find(needle, at + 1);
    EXPECT_NE(at, std::string::npos) << needle;
    return at;
}

std::string hoverText(const std::string& schemaId, const std::string& text, std::size_t offset) {
    const ParsedText parsed = parseText(text);
    const auto hover = hoverAt(schemaId, parsed, offset);
    return hover ? hover->text : "<none>";
}

TEST(Hover, EnumeratorsInEachKindOfDocument) {
    const std::string obs =
        R"({"server": {"mode": 3}, "bridges": {"groups": [{"id": "g", "type": 2, )"
        R"("bridgeTargetOutputDetail": {"mode": 3}}]}})";
    EXPECT_EQ(hoverText("Obs", obs, offsetOf(obs, "3}")), "3 = omADictatedByGroup");
    EXPECT_EQ(hoverText("Obs", obs, offsetOf(obs, "2,")), "2 = gtPresence");
    EXPECT_EQ(hoverText("Obs", obs, offsetOf(obs, "3}}")), "3 = bomNone");
    // The key names its member's value as well.
    EXPECT_EQ(hoverText("Obs", obs, offsetOf(obs, "\"type\"")), "2 = gtPresence");

    const std::string server = R"({"mode": 0, "other": {"mode": 1}})";
    EXPECT_EQ(hoverText("BridgingServerConfiguration", server, offsetOf(server, "0")), "0 = omRaw");
    EXPECT_EQ(hoverText("BridgingServerConfiguration", server, offsetOf(server, "1")), "<none>");

    const std::string group = R"({"type": 1, "bridgeTargetOutputDetail": {"mode": 2}})";
    EXPECT_EQ(hoverText("Group", group, offsetOf(group, "1")), "1 = gtAudio");
    EXPECT_EQ(hoverText("Group", group, offsetOf(group, "2")), "2 = bomMixedStream");
}

TEST(Hover, SameMembersElsewhereOrOfAnotherSchemaShowNothing) {
    const std::string bridges = R"({"groups": [{"type": 3}], "bridges": [{"type": 1}], "mode": 2})";
    EXPECT_EQ(hoverText("BridgingConfiguration", bridges, offsetOf(bridges, "3")), "3 = gtRaw");
    EXPECT_EQ(hoverText("BridgingConfiguration", bridges, offsetOf(bridges, "1")), "<none>");
    EXPECT_EQ(hoverText("BridgingConfiguration", bridges, offsetOf(bridges, "2")), "<none>");
    EXPECT_EQ(hoverText("", bridges, offsetOf(bridges, "3")), "<none>");
    EXPECT_EQ(hoverText("NetworkAddress", bridges, offsetOf(bridges, "3")), "<none>");
}

TEST(Hover, ValuesOutsideAnEnumerationOrNotIntegers) {
    const std::string text =
        R"({"groups": [{"type": -1}, {"type": 1.0}, {"type": "1"}, {"type": 9}]})";
    EXPECT_EQ(hoverText("BridgingConfiguration", text, offsetOf(text, "-1")), "-1 = no group type");
    EXPECT_EQ(hoverText("BridgingConfiguration", text, offsetOf(text, "1.0")), "<none>");
    EXPECT_EQ(hoverText("BridgingConfiguration", text, offsetOf(text, "\"1\"")), "<none>");
    EXPECT_EQ(hoverText("BridgingConfiguration", text, offsetOf(text, "9")), "9 = no group type");
}

const std::string kGroups =
    R"({"groups": ["g1", {"id": "g0"}, {"id": "g1", "name": "First"}, {"id": "g1", "name": "Copy"},)"
    R"( {"id": ""}, {"id": "g2"}],)"
    R"( "bridges": [{"groups": ["g1", "g2", "G1", ""]}]})";

TEST(Hover, BridgeGroupIdNamesTheFirstDefiningGroupObject) {
    const std::size_t ref = offsetOf(kGroups, "\"g1\"", 3);
    EXPECT_EQ(hoverText("BridgingConfiguration", kGroups, ref),
              "Group 'First' at index 2, gtUnknown, referenced by 1 bridge");
    EXPECT_EQ(hoverText("BridgingConfiguration", kGroups, offsetOf(kGroups, "\"g2\"", 1)),
              "Group (no name) at index 5, gtUnknown, referenced by 1 bridge");
    EXPECT_EQ(hoverText("BridgingConfiguration", kGroups, offsetOf(kGroups, "\"G1\"")),
              "No group defines id 'G1'");
    EXPECT_EQ(hoverText("BridgingConfiguration", kGroups, offsetOf(kGroups, "\"\"]")),
              "No group defines id ''");
}

TEST(Hover, AGroupsOwnIdCountsTheBridgesNamingIt) {
    const std::string text =
        R"({"groups": [{"id": "a", "type": 1}, {"id": "b", "type": 7}],)"
        R"( "bridges": [{"groups": ["a", "a"]}, {"groups": ["a"]}, {"groups": ["c"]}]})";
    EXPECT_EQ(hoverText("BridgingConfiguration", text, offsetOf(text, "\"a\"")),
              "Group (no name) at index 0, gtAudio, referenced by 2 bridges");
    EXPECT_EQ(hoverText("BridgingConfiguration", text, offsetOf(text, "\"b\"")),
              "Group (no name) at index 1, type 7, referenced by 0 bridges");
}

TEST(Hover, TheSchemaDescribesOtherMembersWhenAValidatorIsGiven) {
    const std::string server = R"({"nsm": {}, "id": "x"})";
    const ParsedText parsed = parseText(server);
    const Validator validator;
    const auto described =
        hoverAt("BridgingServerConfiguration", parsed, offsetOf(server, "\"nsm\""), &validator);
    ASSERT_TRUE(described.has_value());
    EXPECT_EQ(described->text.rfind("Embedded NSM settings", 0), 0u) << described->text;
    // A member the schema says nothing about, and no validator at all.
    EXPECT_FALSE(
        hoverAt("BridgingServerConfiguration", parsed, offsetOf(server, "\"id\""), &validator)
            .has_value());
    EXPECT_FALSE(
        hoverAt("BridgingServerConfiguration", parsed, offsetOf(server, "\"nsm\"")).has_value());
}

TEST(Definition, LeadsToTheFirstGroupObjectWithTheId) {
    const ParsedText parsed = parseText(kGroups);
    EXPECT_EQ(definitionAt("BridgingConfiguration", parsed, offsetOf(kGroups, "\"g1\"", 3)),
              std::optional<std::string>("/groups/2"));
    EXPECT_EQ(definitionAt("BridgingConfiguration", parsed, offsetOf(kGroups, "\"G1\"")),
              std::nullopt);
    // Not from a group's own id.
    EXPECT_EQ(definitionAt("BridgingConfiguration", parsed, offsetOf(kGroups, "\"g2\"")),
              std::nullopt);
    const std::string obs =
        R"({"bridges": {"groups": [{"id": "x"}], "bridges": [{"groups": ["x"]}]}})";
    EXPECT_EQ(definitionAt("Obs", parseText(obs), offsetOf(obs, "\"x\"", 1)),
              std::optional<std::string>("/bridges/groups/0"));
}

TEST(Definition, NothingInATextThatDoesNotParse) {
    const std::string broken = R"({"groups": [{"id": "x"}], "bridges": [{"groups": ["x"]})";
    const ParsedText parsed = parseText(broken);
    ASSERT_FALSE(parsed.ok());
    EXPECT_EQ(definitionAt("BridgingConfiguration", parsed, offsetOf(broken, "\"x\"", 1)),
              std::nullopt);
    EXPECT_FALSE(hoverAt("BridgingConfiguration", parsed, 2).has_value());
}

TEST(DefinedGroups, FirstOfEachIdInArrayOrder) {
    const auto document = nlohmann::json::parse(kGroups);
    const Configuration groups("BridgingConfiguration", document);
    ASSERT_EQ(groups.groupIds().size(), 3u);
    EXPECT_EQ(groups.groupIds()[0], "g0");
    EXPECT_EQ(groups.group("g0")->index, 1u);
    EXPECT_EQ(groups.groupIds()[1], "g1");
    EXPECT_EQ(groups.group("g1")->name, "First");
    EXPECT_EQ(groups.group("g1")->index, 2u);
    EXPECT_EQ(groups.groupIds()[2], "g2");
    EXPECT_TRUE(Configuration("BridgingServerConfiguration", document).groupIds().empty());
    EXPECT_TRUE(Configuration("BridgingConfiguration", nlohmann::json::parse(R"({"groups": {}})"))
                    .groupIds()
                    .empty());
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
