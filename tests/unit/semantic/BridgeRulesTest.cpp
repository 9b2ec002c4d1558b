#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "SemanticIssues.hpp"
#include "semantic/BridgeRules.hpp"

namespace OrvexConfigValidate {
namespace {

using namespace nlohmann::literals;
using Lines = std::vector<std::string>;

// Under mode 4 well-networked groups draw nothing, so only bridge issues show.
constexpr int kNoModeRules = 4;

// Groups "g1" and "g2", both networked; `bridges` is the bridge list.
nlohmann::json withGroups(nlohmann::json bridges) {
    auto bridging =
        R"({"groups": [{"id": "g1", "tx": {"p": 1}}, {"id": "g2", "tx": {"p": 1}}]})"_json;
    bridging["bridges"] = std::move(bridges);
    return bridging;
}

TEST(BridgePath, IndexAndOptionalId) {
    EXPECT_EQ(makeBridgePath(3, ""), "/bridges/bridges/3");
    EXPECT_EQ(makeBridgePath(3, "b7"), "/bridges/bridges/3 (id=b7)");
}

TEST(BridgeEmptyGroups, DisabledBridgesAreSkipped) {
    EXPECT_EQ(bridgingIssues(kNoModeRules, withGroups(R"([
        {"enabled": false},
        {"enabled": false, "id": 5, "groups": ["zz"]}
    ])"_json)),
              Lines{});
}

TEST(BridgeEmptyGroups, EnabledBridgeWithoutUsableGroupsList) {
    const auto bridging = withGroups(R"([
        {"groups": []},
        {"id": "b1", "enabled": "no", "groups": "g1"},
        {"enabled": true},
        {"enabled": null, "groups": {"0": "g1"}}
    ])"_json);
    EXPECT_EQ(
        bridgingIssues(kNoModeRules, bridging),
        (Lines{"1|/bridges/bridges/0|bridge_empty_groups|Enabled bridge has no groups",
               "1|/bridges/bridges/1 (id=b1)|bridge_empty_groups|Enabled bridge has no groups",
               "1|/bridges/bridges/2|bridge_empty_groups|Enabled bridge has no groups",
               "1|/bridges/bridges/3|bridge_empty_groups|Enabled bridge has no groups"}));
}

TEST(MissingGroupRef, PathCarriesTheBridgeIdBeforeTheEntryPosition) {
    const auto bridging = withGroups(R"([
        5, {"enabled": false}, "bridge", {"id": "b7", "groups": ["g1", "zz", "g2"]}
    ])"_json);
    EXPECT_EQ(bridgingIssues(kNoModeRules, bridging),
              (Lines{"0|/bridges/bridges/3 (id=b7)/groups/1|missing_group_ref|"
                     "Bridge references group id 'zz' which has no definition"}));
}

TEST(MissingGroupRef, WithoutBridgeIdThePathHasNoSuffix) {
    const auto bridging = withGroups(R"([
        5, {"enabled": false}, "bridge", {"groups": ["g1", "zz", "g2"]}
    ])"_json);
    EXPECT_EQ(bridgingIssues(kNoModeRules, bridging),
              (Lines{"0|/bridges/bridges/3/groups/1|missing_group_ref|"
                     "Bridge references group id 'zz' which has no definition"}));
}

TEST(MissingGroupRef, EmptyAndDifferentlyCasedIdsAreUndefined) {
    const auto bridging = withGroups(R"([{"groups": ["", "G1", "g1 ", "g1"]}])"_json);
    EXPECT_EQ(bridgingIssues(kNoModeRules, bridging),
              (Lines{"0|/bridges/bridges/0/groups/0|missing_group_ref|"
                     "Bridge references group id '' which has no definition",
                     "0|/bridges/bridges/0/groups/1|missing_group_ref|"
                     "Bridge references group id 'G1' which has no definition",
                     "0|/bridges/bridges/0/groups/2|missing_group_ref|"
                     "Bridge references group id 'g1 ' which has no definition"}));
}

TEST(MissingGroupRef, NonStringEntriesAreSkippedButCounted) {
    const auto bridging =
        withGroups(R"([{"groups": [5, null, "zz", {"id": "g1"}, "g1", "yy"]}])"_json);
    EXPECT_EQ(bridgingIssues(kNoModeRules, bridging),
              (Lines{"0|/bridges/bridges/0/groups/2|missing_group_ref|"
                     "Bridge references group id 'zz' which has no definition",
                     "0|/bridges/bridges/0/groups/5|missing_group_ref|"
                     "Bridge references group id 'yy' which has no definition"}));
}

TEST(MissingGroupRef, RepeatedReferencesToADefinedGroupAreFine) {
    const auto bridging =
        withGroups(R"([{"groups": ["g1", "g1"]}, {"groups": ["g1", "g2"]}])"_json);
    EXPECT_EQ(bridgingIssues(kNoModeRules, bridging), Lines{});
}

TEST(MissingGroupRef, AGroupWithADuplicateIdStillDefinesIt) {
    const auto bridging = R"({
        "groups": [{"id": "g1", "tx": {"p": 1}}, {"id": "g1", "tx": {"p": 1}}],
        "bridges": [{"groups": ["g1"]}]
    })"_json;
    EXPECT_EQ(bridgingIssues(kNoModeRules, bridging),
              (Lines{"0|/bridges/groups/1 (id=g1)|duplicate_group_id|"
                     "Duplicate group id 'g1' (also at index 0)"}));
}

TEST(MissingGroupRef, OnlyGroupObjectsDefineIds) {
    const auto bridging = R"({
        "groups": ["g1", {"id": 5, "tx": {"p": 1}}, {"id": "g2", "tx": {"p": 1}}],
        "bridges": [{"groups": ["g1", "5", "g2"]}]
    })"_json;
    EXPECT_EQ(bridgingIssues(kNoModeRules, bridging),
              (Lines{"0|/bridges/bridges/0/groups/0|missing_group_ref|"
                     "Bridge references group id 'g1' which has no definition",
                     "0|/bridges/bridges/0/groups/1|missing_group_ref|"
                     "Bridge references group id '5' which has no definition"}));
}

TEST(BridgePhase, NonStringBridgeIdReadsAsAbsent) {
    const auto bridging = withGroups(R"([
        {"id": 5, "groups": ["zz"]},
        {"id": {"x": 1}, "groups": []}
    ])"_json);
    EXPECT_EQ(bridgingIssues(kNoModeRules, bridging),
              (Lines{"0|/bridges/bridges/0/groups/0|missing_group_ref|"
                     "Bridge references group id 'zz' which has no definition",
                     "1|/bridges/bridges/1|bridge_empty_groups|Enabled bridge has no groups"}));
}

TEST(BridgePhase, NeedsAGroupsArray) {
    const Lines none;
    EXPECT_EQ(bridgingIssues(kNoModeRules, R"({"bridges": [{"groups": ["zz"]}, {}]})"_json), none);
    EXPECT_EQ(bridgingIssues(kNoModeRules,
                             R"({"groups": {"id": "g1"}, "bridges": [{"groups": []}]})"_json),
              none);
    EXPECT_EQ(bridgingIssues(kNoModeRules, R"([{"groups": [], "bridges": [{}]}])"_json), none);
}

TEST(BridgePhase, BridgesMustBeAnArray) {
    EXPECT_EQ(bridgingIssues(kNoModeRules, withGroups(R"({"b": {"groups": ["zz"]}})"_json)),
              Lines{});
    EXPECT_EQ(bridgingIssues(kNoModeRules, withGroups(nullptr)), Lines{});
}

TEST(BridgePhase, ComesAfterEveryGroupIssue) {
    const auto bridging = R"({
        "groups": [{"id": "g1"}, {"id": "g2", "tx": {"p": 1}}, {"id": "g3"}],
        "bridges": [{"id": "b", "groups": ["x", "g2", "y"]}, {"groups": []}]
    })"_json;
    EXPECT_EQ(
        bridgingIssues(kNoModeRules, bridging),
        (Lines{std::string("1|/bridges/groups/0 (id=g1)|group_no_networking|") + kNoNetworking,
               std::string("1|/bridges/groups/2 (id=g3)|group_no_networking|") + kNoNetworking,
               "0|/bridges/bridges/0 (id=b)/groups/0|missing_group_ref|"
               "Bridge references group id 'x' which has no definition",
               "0|/bridges/bridges/0 (id=b)/groups/2|missing_group_ref|"
               "Bridge references group id 'y' which has no definition",
               "1|/bridges/bridges/1|bridge_empty_groups|Enabled bridge has no groups"}));
}

TEST(BridgePhase, ServerModeOfTheSettingsIsUsed) {
    ValidationResult result;
    checkBridgingDocument(R"({"mode": "3"})"_json,
                          R"({"groups": [{"type": 3, "tx": {"p": 1}}]})"_json, result);
    // A mode that is not an integer reads as omRaw: a raw group is left alone.
    EXPECT_EQ(describeAll(result), Lines{});
    checkBridgingDocument(R"({"mode": 2})"_json,
                          R"({"groups": [{"type": 1, "tx": {"p": 1}}]})"_json, result);
    EXPECT_EQ(describeAll(result),
              (Lines{"2|/bridges/groups/0|mode_force_mixed|"
                     "Server mode omMixedStream will force BOM=bomMixedStream at runtime"}));
}

}  // namespace
}  // namespace OrvexConfigValidate
