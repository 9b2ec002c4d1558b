#include <gtest/gtest.h>

#include "PathMapping.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

using Tokens = std::vector<std::string>;
using nlohmann::json;

Issue issueAt(const std::string& path, const std::string& code) {
    Issue issue;
    issue.path = path;
    issue.code = code;
    return issue;
}
Issue semantic(const std::string& path) {
    return issueAt(path, "missing_group_ref");
}
Issue schema(const std::string& path) {
    return issueAt(path, "schema");
}

TEST(Pointer, SplitAndJoinEscape) {
    EXPECT_EQ(splitPointer("/"), Tokens{});
    EXPECT_EQ(splitPointer(""), Tokens{});
    EXPECT_EQ(splitPointer("/a~1b/c~0d/0"), (Tokens{"a/b", "c~d", "0"}));
    EXPECT_EQ(splitPointer("/a//b"), (Tokens{"a", "", "b"}));
    EXPECT_EQ(splitPointer("/~01"), Tokens{"~1"});
    EXPECT_EQ(joinPointer({}), "/");
    EXPECT_EQ(joinPointer({"a/b", "c~d", "0"}), "/a~1b/c~0d/0");
}

TEST(SemanticPath, IdPartsAreDropped) {
    const json bridging = {
        {"groups", {{{"id", "g1"}}, {{"id", "a"}}}},
        {"bridges", {json::object(), json::object(), json::object(), {{"id", "b7"}}}}};
    EXPECT_EQ(semanticPathTokens("/bridges/groups/1 (id=a)", bridging),
              (Tokens{"bridges", "groups", "1"}));
    EXPECT_EQ(semanticPathTokens("/bridges/groups/0", bridging),
              (Tokens{"bridges", "groups", "0"}));
    EXPECT_EQ(semanticPathTokens("/bridges/bridges/3 (id=b7)/groups/1", bridging),
              (Tokens{"bridges", "bridges", "3", "groups", "1"}));
    EXPECT_EQ(semanticPathTokens("/bridges/bridges/3/groups/1", bridging),
              (Tokens{"bridges", "bridges", "3", "groups", "1"}));
}

TEST(SemanticPath, IdsThatLookLikePathSyntaxAreStrippedExactly) {
    const std::vector<std::string> ids = {")/groups/4", "x) (id=y)", "a)/groups/1)",
                                          "(id=",       ")",         "ü/~"};
    for (const auto& id : ids) {
        const json bridging = {{"groups", {{{"id", id}}}}, {"bridges", {{{"id", id}}}}};
        EXPECT_EQ(semanticPathTokens("/bridges/groups/0 (id=" + id + ")", bridging),
                  (Tokens{"bridges", "groups", "0"}))
            << id;
        EXPECT_EQ(semanticPathTokens("/bridges/bridges/0 (id=" + id + ")", bridging),
                  (Tokens{"bridges", "bridges", "0"}))
            << id;
        EXPECT_EQ(semanticPathTokens("/bridges/bridges/0 (id=" + id + ")/groups/2", bridging),
                  (Tokens{"bridges", "bridges", "0", "groups", "2"}))
            << id;
        // Without the document the shape of the path still decides.
        EXPECT_EQ(semanticPathTokens("/bridges/bridges/0 (id=" + id + ")/groups/2", nullptr),
                  (Tokens{"bridges", "bridges", "0", "groups", "2"}))
            << id;
        EXPECT_EQ(semanticPathTokens("/bridges/groups/0 (id=" + id + ")", nullptr),
                  (Tokens{"bridges", "groups", "0"}))
            << id;
    }
}

TEST(MapIssue, StandaloneBridgesFileDropsTheLeadingBridges) {
    const json doc = {{"groups", {{{"id", "g"}}}}, {"bridges", {{{"id", "b"}}}}};
    const std::vector<const json*> docs = {&doc};
    auto location =
        mapIssuePath(semantic("/bridges/bridges/0 (id=b)/groups/3"), "BridgingConfiguration", docs);
    EXPECT_EQ(location.file, 0u);
    EXPECT_EQ(location.tokens, (Tokens{"bridges", "0", "groups", "3"}));
    location = mapIssuePath(semantic("/bridges/groups/0 (id=g)"), "BridgingConfiguration", docs);
    EXPECT_EQ(location.tokens, (Tokens{"groups", "0"}));
    // Schema paths are already rooted at the file.
    location = mapIssuePath(schema("/bridges/0/lossGraceMs"), "BridgingConfiguration", docs);
    EXPECT_EQ(location.tokens, (Tokens{"bridges", "0", "lossGraceMs"}));
    location = mapIssuePath(schema("/"), "BridgingConfiguration", docs);
    EXPECT_EQ(location.tokens, Tokens{});
}

TEST(MapIssue, GroupFileIsGroupZero) {
    const json doc = {{"id", "x)"}};
    const std::vector<const json*> docs = {&doc};
    auto location =
        mapIssuePath(issueAt("/bridges/groups/0 (id=x))", "group_no_networking"), "Group", docs);
    EXPECT_EQ(location.tokens, Tokens{});
    location = mapIssuePath(schema("/id"), "Group", docs);
    EXPECT_EQ(location.tokens, Tokens{"id"});
}

TEST(MapIssue, ObsFileKeepsCompositePaths) {
    const json doc = {{"server", {{"mode", 2}}}, {"bridges", {{"groups", {{{"id", "g"}}}}}}};
    const std::vector<const json*> docs = {&doc};
    const auto location =
        mapIssuePath(issueAt("/bridges/groups/0 (id=g)", "mode_requires_audio_group"), "Obs", docs);
    EXPECT_EQ(location.file, 0u);
    EXPECT_EQ(location.tokens, (Tokens{"bridges", "groups", "0"}));
}

TEST(MapIssue, PairSplitsByMember) {
    const json server = {{"mode", 2}};
    const json bridges = {{"groups", {{{"id", "g"}}}}};
    const std::vector<const json*> docs = {&server, &bridges};
    auto location = mapIssuePath(schema("/server/statusUpload/timeoutSecs"), "Obs", docs);
    EXPECT_EQ(location.file, 0u);
    EXPECT_EQ(location.tokens, (Tokens{"statusUpload", "timeoutSecs"}));
    location = mapIssuePath(schema("/server"), "Obs", docs);
    EXPECT_EQ(location.file, 0u);
    EXPECT_EQ(location.tokens, Tokens{});
    location = mapIssuePath(schema("/bridges/groups/0/type"), "Obs", docs);
    EXPECT_EQ(location.file, 1u);
    EXPECT_EQ(location.tokens, (Tokens{"groups", "0", "type"}));
    location = mapIssuePath(semantic("/bridges/groups/0 (id=g)"), "Obs", docs);
    EXPECT_EQ(location.file, 1u);
    EXPECT_EQ(location.tokens, (Tokens{"groups", "0"}));
    // The composite's own root belongs to neither file; it is reported on the first.
    location = mapIssuePath(issueAt("/", "schema_engine"), "Obs", docs);
    EXPECT_EQ(location.file, 0u);
    EXPECT_EQ(location.tokens, Tokens{});
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
