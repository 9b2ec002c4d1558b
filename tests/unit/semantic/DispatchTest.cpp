#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "SemanticIssues.hpp"

namespace OrvexConfigValidate {
namespace {

using namespace nlohmann::literals;
using Lines = std::vector<std::string>;

const std::string kForceRaw =
    "|mode_force_raw|Server mode omRaw will force group type=gtRaw and BOM=bomRaw at runtime";

TEST(ObsDispatch, ServerModeAppliesToTheBridgesGroups) {
    const auto obs = R"({
        "server": {"mode": 2},
        "bridges": {"groups": [{"id": "r", "type": 3, "tx": {"p": 1}}],
                    "bridges": [{"id": "b", "groups": ["r", "gone"]}]}
    })"_json;
    EXPECT_EQ(semanticIssues("Obs", obs),
              (Lines{"0|/bridges/groups/0 (id=r)|mode_requires_audio_group|"
                     "Server mode 2 requires group type gtAudio (1); found type 3",
                     "2|/bridges/groups/0 (id=r)|mode_force_mixed|"
                     "Server mode omMixedStream will force BOM=bomMixedStream at runtime",
                     "0|/bridges/bridges/0 (id=b)/groups/1|missing_group_ref|"
                     "Bridge references group id 'gone' which has no definition"}));
}

TEST(ObsDispatch, MissingOrUnreadableServerModeMeansRaw) {
    const auto bridges = R"({"groups": [{"type": 1, "tx": {"p": 1}},
                                        {"type": 3, "tx": {"p": 1}}]})"_json;
    const Lines expected{"2|/bridges/groups/0" + kForceRaw};
    for (const auto& server : {nlohmann::json(), R"({"mode": 2.5})"_json, R"({"mode": "2"})"_json,
                               R"({})"_json, R"("mode")"_json, R"([2])"_json}) {
        nlohmann::json obs = {{"bridges", bridges}};
        if (!server.is_null()) {
            obs["server"] = server;
        }
        EXPECT_EQ(semanticIssues("Obs", obs), expected) << obs.dump();
    }
}

TEST(ObsDispatch, NoRulesWithoutABridgingObject) {
    const Lines none;
    EXPECT_EQ(semanticIssues("Obs", R"([{"server": {}, "bridges": {"groups": [{}]}}])"_json), none);
    EXPECT_EQ(semanticIssues("Obs", R"({"server": {"mode": 1}})"_json), none);
    EXPECT_EQ(semanticIssues("Obs", R"({"bridges": [{"groups": [{}]}]})"_json), none);
    EXPECT_EQ(semanticIssues("Obs", R"({"bridges": "groups"})"_json), none);
    EXPECT_EQ(semanticIssues("Obs", R"("Obs")"_json), none);
}

TEST(BridgingConfigurationDispatch, JudgedAsGroupDictatedWhateverItsOwnMode) {
    const auto bridging = R"({
        "mode": 1,
        "groups": [{"id": "a", "type": 1, "tx": {"p": 1}}],
        "bridges": [{"groups": []}]
    })"_json;
    EXPECT_EQ(semanticIssues("BridgingConfiguration", bridging),
              (Lines{"0|/bridges/groups/0 (id=a)|bom_type_mismatch|"
                     "bomRaw requires group type gtRaw (3); found type 1",
                     "1|/bridges/bridges/0|bridge_empty_groups|Enabled bridge has no groups"}));
}

TEST(BridgingConfigurationDispatch, NonObjectDocumentsDrawNothing) {
    for (const auto& document :
         {R"([{"groups": [{}]}])"_json, R"("groups")"_json, R"(3)"_json, nlohmann::json()}) {
        EXPECT_EQ(semanticIssues("BridgingConfiguration", document), Lines{}) << document.dump();
    }
}

TEST(ServerConfigurationDispatch, HasNoSemanticRules) {
    const auto server = R"({
        "mode": 2,
        "groups": [{"id": "a", "type": 3}, {"id": "a"}],
        "bridges": {"groups": [{"type": 3}], "bridges": [{"groups": ["zz"]}]}
    })"_json;
    EXPECT_EQ(semanticIssues("BridgingServerConfiguration", server), Lines{});
}

TEST(GroupDispatch, TheDocumentIsGroupZeroUnderGroupDictatedMode) {
    EXPECT_EQ(
        semanticIssues("Group", R"({"id": "g1", "type": 1})"_json),
        (Lines{"0|/bridges/groups/0 (id=g1)|bom_type_mismatch|"
               "bomRaw requires group type gtRaw (3); found type 1",
               std::string("1|/bridges/groups/0 (id=g1)|group_no_networking|") + kNoNetworking}));
    EXPECT_EQ(semanticIssues("Group", R"({"type": 3})"_json),
              (Lines{std::string("1|/bridges/groups/0|group_no_networking|") + kNoNetworking}));
    EXPECT_EQ(semanticIssues("Group", R"({"id": "", "type": 3})"_json),
              (Lines{std::string("1|/bridges/groups/0|group_no_networking|") + kNoNetworking}));
}

TEST(GroupDispatch, ItsOwnBridgesAndGroupsMembersAreNotRules) {
    const auto group = R"({
        "id": "g1", "type": 3, "tx": {"p": 1},
        "groups": [{"id": "g1"}, {"type": 1}],
        "bridges": [{"groups": ["zz"]}, {"groups": []}]
    })"_json;
    EXPECT_EQ(semanticIssues("Group", group), Lines{});
}

TEST(GroupDispatch, NonObjectGroupIsSkipped) {
    for (const auto& document : {R"([{"type": 1}])"_json, R"("g1")"_json, R"(1)"_json}) {
        EXPECT_EQ(semanticIssues("Group", document), Lines{}) << document.dump();
    }
}

TEST(GroupDispatch, NonStringIdsDoNotStopTheStage) {
    EXPECT_EQ(semanticIssues("Group", R"({"id": 5, "type": 1, "appTransport": {"id": 7}})"_json),
              (Lines{"0|/bridges/groups/0|bom_type_mismatch|"
                     "bomRaw requires group type gtRaw (3); found type 1",
                     std::string("1|/bridges/groups/0|group_no_networking|") + kNoNetworking}));
}

TEST(Dispatch, SchemaIdsMatchExactly) {
    const auto group = R"({"id": "g1", "type": 1})"_json;
    for (const char* id : {"group", "GROUP", "Group.schema.json", " Group", "Group ", "obs",
                           "Bridgingconfiguration", "NetworkAddress", "enums", ""}) {
        EXPECT_EQ(semanticIssues(id, group), Lines{}) << id;
    }
}

TEST(Dispatch, TheDocumentIsLeftUnchanged) {
    const auto obs =
        R"({"server": {}, "bridges": {"groups": [{"id": "a"}, {}], "bridges": [{}]}})"_json;
    const auto copy = obs;
    (void)semanticIssues("Obs", obs);
    EXPECT_TRUE(obs == copy);
}

// 100,000 nested arrays, built and moved into place without any deep copy.
nlohmann::json deepArray() {
    nlohmann::json deep = nlohmann::json::array();
    for (int i = 0; i < 100000; ++i) {
        nlohmann::json outer = nlohmann::json::array();
        outer.push_back(std::move(deep));
        deep = std::move(outer);
    }
    return deep;
}

TEST(Dispatch, DeeplyNestedServerAndBridgesMembers) {
    auto obs = R"({
        "server": {},
        "bridges": {"groups": [{"type": 1, "tx": {"p": 1}}],
                    "bridges": [{}, null, {"groups": [null, "zz"]}]}
    })"_json;
    obs["server"]["mode"] = deepArray();
    auto& bridges = obs["bridges"]["bridges"];
    bridges[0]["groups"] = deepArray();
    bridges[1] = deepArray();
    bridges[2]["id"] = deepArray();
    bridges[2]["groups"][0] = deepArray();
    // The deep "mode" reads as omRaw; the deep id reads as absent.
    EXPECT_EQ(semanticIssues("Obs", obs),
              (Lines{"2|/bridges/groups/0" + kForceRaw,
                     "0|/bridges/bridges/2/groups/1|missing_group_ref|"
                     "Bridge references group id 'zz' which has no definition"}));
}

TEST(ThroughValidate, SemanticIssuesFollowInRuleOrder) {
    const ValidationResult result = validate("Obs",
                                             R"({"server": {"mode": 3},
            "bridges": {"groups": [{"id": "a", "type": 1, "tx": {"p": 1}}],
                        "bridges": [{"groups": ["a", "b"]}]}})"_json,
                                             ValidateOptions{});
    Lines semantic;
    for (const Issue& issue : result.issues) {
        if (issue.code != "schema" && issue.code != "schema_engine" &&
            issue.code != "unknown_schema") {
            semantic.push_back(describe(issue));
        }
    }
    EXPECT_EQ(semantic, (Lines{"0|/bridges/groups/0 (id=a)|bom_type_mismatch|"
                               "bomRaw requires group type gtRaw (3); found type 1",
                               "0|/bridges/bridges/0/groups/1|missing_group_ref|"
                               "Bridge references group id 'b' which has no definition"}));
    EXPECT_FALSE(result.ok);
}

}  // namespace
}  // namespace OrvexConfigValidate
