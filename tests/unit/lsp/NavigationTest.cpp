#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
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

std::string fullHover(const std::string& schemaId, const std::string& text, std::size_t offset) {
    const ParsedText parsed = parseText(text);
    const auto hover = hoverAt(schemaId, parsed, offset);
    return hover ? hover->text : "<none>";
}

// What the hover says first: of the value, or the member's title.
std::string hoverText(const std::string& schemaId, const std::string& text, std::size_t offset) {
    const std::string hover = fullHover(schemaId, text, offset);
    return hover.substr(0, hover.find("\n\n"));
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
    // A mistyped value has no name, but its member is still documented.
    EXPECT_EQ(hoverText("BridgingConfiguration", text, offsetOf(text, "1.0")), "**Group type**");
    EXPECT_EQ(hoverText("BridgingConfiguration", text, offsetOf(text, "\"1\"")), "**Group type**");
    EXPECT_EQ(hoverText("BridgingConfiguration", text, offsetOf(text, "9")), "9 = no group type");
}

TEST(Hover, MembersAreDocumentedWithTheirFacts) {
    const std::string server = R"({"statusUpload": {"timeoutSecs": 0}, "mode": 1})";
    const std::string bridges =
        R"({"groups": [{"id": "g", "name": "G", "vortapoints": [{"host": {"port": 1}}]}],)"
        R"( "bridges": [{"lossGraceMs": 5}]})";
    const struct {
        const char* schemaId;
        const std::string& text;
        const char* at;
        const char* expected;
    } cases[] = {
        {"BridgingServerConfiguration", server, "timeoutSecs",
         "**Upload timeout**\n\nHow long one upload may take.\n\n- Type: integer\n"
         "- Range: at least 1\n- Unit: seconds\n- Missing or mistyped: not read by the checks\n"},
        {"BridgingServerConfiguration", server, "1}",
         "1 = omMultistream\n\n**Server operating mode**"},
        {"BridgingConfiguration", bridges, "\"name\"", "**Group name**"},
        {"BridgingConfiguration", bridges, "lossGraceMs", "**Loss grace time**"},
        {"BridgingConfiguration", bridges, "port", "**Host port**"},
        {"Obs", R"({"server": {"mode": 3}})", "3", "3 = omADictatedByGroup\n\n**Server"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at);
        const std::string hover = fullHover(c.schemaId, c.text, offsetOf(c.text, c.at));
        EXPECT_EQ(hover.substr(0, std::string(c.expected).size()), c.expected) << hover;
    }
    // Values of a member: "G" documents the group's name; "5" the grace time.
    EXPECT_EQ(hoverText("BridgingConfiguration", bridges, offsetOf(bridges, "\"G\"")),
              "**Group name**");
    EXPECT_NE(
        fullHover("BridgingConfiguration", bridges, offsetOf(bridges, "5")).find("milliseconds"),
        std::string::npos);
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

TEST(Hover, TheCatalogueFirstThenTheSchemaOfAMemberOnlyAReplacedSchemaNames) {
    const std::string server = R"({"nsm": {}, "extra": 1, "other": 2})";
    const ParsedText parsed = parseText(server);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("orvex-hover-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "BridgingServerConfiguration.schema.json")
        << R"({"type": "object", "properties": {"nsm": {"description": "Replaced words"},)"
        << R"( "extra": {"title": "Extra", "description": "Extra words"}}})";
    const Validator validator(ValidatorOptions{dir.string()});
    const auto at = [&](const char* needle) {
        const auto hover =
            hoverAt("BridgingServerConfiguration", parsed, offsetOf(server, needle), &validator);
        return hover ? hover->text : "<none>";
    };
    EXPECT_EQ(at("\"nsm\"").rfind("**NSM**\n\nEmbedded NSM settings", 0), 0u) << at("\"nsm\"");
    EXPECT_EQ(at("\"extra\""), "Extra\n\nExtra words");
    EXPECT_EQ(at("\"other\""), "<none>");
    std::filesystem::remove_all(dir);
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
