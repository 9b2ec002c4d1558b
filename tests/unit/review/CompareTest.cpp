#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Compare.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace {

using namespace OrvexConfigValidate;
using Json = nlohmann::json;

Json group(const std::string& id, int type = 1, int outputMode = 1) {
    return {{"id", id},
            {"type", type},
            {"bridgeTargetOutputDetail", {{"mode", outputMode}}},
            {"rx", {{"port", 1}}}};
}

Json bridge(const std::string& id, std::vector<std::string> groups) {
    return {{"id", id}, {"groups", groups}};
}

// A version of the bridges file alone, with its issues as the check finds them.
struct Version {
    Json server;
    Json bridges;
    VersionDocuments view() const {
        VersionDocuments out;
        if (!server.is_null()) out.server = &server;
        out.bridges = &bridges;
        const ValidationResult result =
            server.is_null() ? validateText("BridgingConfiguration", bridges.dump(), {})
                             : validateTextPair(server.dump(), bridges.dump(), {});
        out.issues = result.issues;
        if (server.is_null()) {
            for (Issue& issue : out.issues) issue.source = 1;
        }
        return out;
    }
};

std::vector<std::string> codes(const std::vector<IssueChange>& changes) {
    std::vector<std::string> out;
    for (const IssueChange& change : changes) out.push_back(change.issue.code);
    std::sort(out.begin(), out.end());
    return out;
}

// The patch applied to the old document gives the new one exactly.
void expectPatchTurnsInto(const Comparison& comparison, const Json& before, const Json& after) {
    EXPECT_EQ(before.patch(comparison.patches[1]), after) << comparison.patches[1].dump();
}

TEST(Compare, MatchesGroupsByIdWhateverTheirOrder) {
    const Version before{
        nullptr,
        {{"groups", {group("a"), group("b"), group("c")}}, {"bridges", {bridge("x", {"a", "b"})}}}};
    Version after = before;
    after.bridges["groups"] = {group("c"), group("a"), group("b")};
    const Comparison comparison = compareVersions(before.view(), after.view());
    EXPECT_TRUE(comparison.same());
    EXPECT_TRUE(comparison.introduced.empty());
    expectPatchTurnsInto(comparison, before.bridges, after.bridges);
}

TEST(Compare, ADeletedGroupBringsTheDanglingReferenceOfAnUntouchedBridge) {
    const Version before{
        nullptr, {{"groups", {group("a"), group("b")}}, {"bridges", {bridge("x", {"a", "b"})}}}};
    Version after = before;
    after.bridges["groups"] = Json::array({group("a")});  // {x} alone is x under clang
    const Comparison comparison = compareVersions(before.view(), after.view());
    ASSERT_EQ(comparison.changes.size(), 1u);
    const Change& removed = comparison.changes[0];
    EXPECT_EQ(removed.kind, Change::Kind::Removed);
    EXPECT_EQ(removed.element, "group");
    EXPECT_EQ(removed.id, "b");
    EXPECT_EQ(removed.oldPointer, "/groups/1");
    EXPECT_EQ(removed.newPointer, "");
    ASSERT_EQ(comparison.introduced.size(), 1u);
    const IssueChange& dangling = comparison.introduced[0];
    EXPECT_EQ(dangling.issue.code, "missing_group_ref");
    EXPECT_EQ(dangling.key.element, "bridge");
    EXPECT_EQ(dangling.key.id, "x");
    EXPECT_EQ(dangling.key.member, "groups: b");
    EXPECT_TRUE(comparison.resolved.empty());
    expectPatchTurnsInto(comparison, before.bridges, after.bridges);
}

TEST(Compare, AnIdChangedAloneIsARenameAndWithMoreARemovalAndAnAddition) {
    const Version before{nullptr,
                         {{"groups", {group("a"), group("b")}}, {"bridges", Json::array()}}};
    Version renamed = before;
    renamed.bridges["groups"][1]["id"] = "c";
    Comparison comparison = compareVersions(before.view(), renamed.view());
    ASSERT_EQ(comparison.changes.size(), 1u);
    EXPECT_EQ(comparison.changes[0].kind, Change::Kind::Renamed);
    EXPECT_EQ(comparison.changes[0].oldId, "b");
    EXPECT_EQ(comparison.changes[0].id, "c");
    EXPECT_EQ(comparison.changes[0].oldPointer, "/groups/1");
    EXPECT_EQ(comparison.changes[0].newPointer, "/groups/1");
    expectPatchTurnsInto(comparison, before.bridges, renamed.bridges);

    Version replaced = renamed;
    replaced.bridges["groups"][1]["type"] = 3;
    comparison = compareVersions(before.view(), replaced.view());
    ASSERT_EQ(comparison.changes.size(), 2u);
    EXPECT_EQ(comparison.changes[0].kind, Change::Kind::Removed);
    EXPECT_EQ(comparison.changes[1].kind, Change::Kind::Added);
    expectPatchTurnsInto(comparison, before.bridges, replaced.bridges);
}

TEST(Compare, MembersAreComparedAsTheServerReadsThem) {
    const Version before{nullptr, {{"groups", {group("a")}}}};
    Version after = before;
    after.bridges["groups"][0]["type"] = 1.0;  // read as mistyped: the default
    after.bridges["groups"][0]["name"] = "new";
    const Comparison comparison = compareVersions(before.view(), after.view());
    ASSERT_EQ(comparison.changes.size(), 2u);
    EXPECT_EQ(comparison.changes[0].kind, Change::Kind::Changed);
    EXPECT_EQ(comparison.changes[0].oldPointer, "/groups/0/type");
    EXPECT_EQ(comparison.changes[0].newPointer, "/groups/0/type");
    EXPECT_EQ(comparison.changes[0].id, "a");
    EXPECT_EQ(comparison.changes[1].kind, Change::Kind::Added);
    EXPECT_EQ(comparison.changes[1].oldPointer, "");
    EXPECT_EQ(comparison.changes[1].newPointer, "/groups/0/name");
    expectPatchTurnsInto(comparison, before.bridges, after.bridges);
}

TEST(Compare, AServerModeChangeTurnsTheGroupsNotesIntoErrors) {
    const Json bridges = {{"groups", {group("a", 3, 0), group("b", 3, 0)}},
                          {"bridges", {bridge("x", {"a", "b"})}}};
    const Version before{{{"mode", 3}}, bridges};
    const Version after{{{"mode", 1}}, bridges};
    const Comparison comparison = compareVersions(before.view(), after.view());
    ASSERT_EQ(comparison.changes.size(), 1u);
    EXPECT_EQ(comparison.changes[0].source, 0);
    EXPECT_EQ(comparison.changes[0].newPointer, "/mode");
    EXPECT_EQ(codes(comparison.introduced),
              (std::vector<std::string>{"mode_force_multistream", "mode_force_multistream",
                                        "mode_requires_audio_group", "mode_requires_audio_group"}));
    EXPECT_EQ(comparison.introduced[0].key.id, "a");

    const Version raw{{{"mode", 0}}, {{"groups", {group("a", 1, 1)}}, {"bridges", Json::array()}}};
    const Version multi{{{"mode", 1}},
                        {{"groups", {group("a", 3, 1)}}, {"bridges", Json::array()}}};
    const Comparison notesToErrors = compareVersions(raw.view(), multi.view());
    EXPECT_EQ(codes(notesToErrors.resolved), std::vector<std::string>{"mode_force_raw"});
    EXPECT_EQ(codes(notesToErrors.introduced),
              std::vector<std::string>{"mode_requires_audio_group"});
}

TEST(Compare, APatchOfRemovalsAdditionsMovesAndChangesTurnsOldIntoNew) {
    Json before = {{"groups", Json::array()}, {"bridges", Json::array()}, {"note", 1}};
    for (int i = 0; i < 40; ++i) before["groups"].push_back(group("g" + std::to_string(i)));
    Json after = {{"groups", Json::array()}, {"bridges", Json::array()}, {"extra", true}};
    // Every third removed, the rest in a scrambled order, some changed, new ones between.
    for (int i = 39; i >= 0; --i) {
        const int at = (i * 17) % 40;
        if (at % 3 == 0) continue;
        Json element = group("g" + std::to_string(at));
        if (at % 5 == 0) element["type"] = 2;
        after["groups"].push_back(element);
        if (at % 7 == 0) after["groups"].push_back(group("new" + std::to_string(at)));
    }
    after["groups"].push_back({{"no", "id"}});
    const Version old{nullptr, before};
    const Version now{nullptr, after};
    const Comparison comparison = compareVersions(old.view(), now.view());
    expectPatchTurnsInto(comparison, before, after);
}

TEST(Compare, RefusesDocumentsNestedDeeperThanItsBound) {
    Json deep = 1;
    for (std::size_t i = 0; i < kCompareMaxDepth + 1; ++i) deep = Json::array({deep});
    const Json bridges = {{"groups", Json::array()}, {"deep", deep}};
    VersionDocuments documents;
    documents.bridges = &bridges;
    EXPECT_THROW(compareVersions(documents, documents), std::invalid_argument);
}

}  // namespace
