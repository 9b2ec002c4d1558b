#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "SemanticIssues.hpp"
#include "semantic/GroupRules.hpp"

namespace OrvexConfigValidate {
namespace {

using namespace nlohmann::literals;
using Lines = std::vector<std::string>;

// Mode 4 has neither an audio requirement nor a mode rule, which isolates
// the duplicate and networking rules.
constexpr int kNoModeRules = 4;

TEST(GroupPath, IndexAndOptionalId) {
    EXPECT_EQ(makeGroupPath(0, ""), "/bridges/groups/0");
    EXPECT_EQ(makeGroupPath(12, "g 1"), "/bridges/groups/12 (id=g 1)");
    EXPECT_EQ(makeGroupPath(18446744073709551615u, "x"),
              "/bridges/groups/18446744073709551615 (id=x)");
}

TEST(DuplicateGroupId, LaterCopiesNameTheFirstIndex) {
    const auto bridging = R"({"groups": [
        {"id": "a", "tx": {"port": 1}},
        {"id": "b", "tx": {"port": 1}},
        {"id": "a", "tx": {"port": 1}},
        {"id": "c", "tx": {"port": 1}},
        {"id": "b2", "tx": {"port": 1}},
        {"id": "a", "tx": {"port": 1}}
    ]})"_json;
    EXPECT_EQ(bridgingIssues(kNoModeRules, bridging),
              (Lines{"0|/bridges/groups/2 (id=a)|duplicate_group_id|"
                     "Duplicate group id 'a' (also at index 0)",
                     "0|/bridges/groups/5 (id=a)|duplicate_group_id|"
                     "Duplicate group id 'a' (also at index 0)"}));
}

TEST(DuplicateGroupId, FirstIndexCountsSkippedElements) {
    const auto bridging = R"({"groups": [
        "not a group", null, {"id": "a", "tx": {"p": 1}}, {"id": "a", "tx": {"p": 1}}
    ]})"_json;
    EXPECT_EQ(bridgingIssues(kNoModeRules, bridging),
              (Lines{"0|/bridges/groups/3 (id=a)|duplicate_group_id|"
                     "Duplicate group id 'a' (also at index 2)"}));
}

TEST(DuplicateGroupId, EmptyAndAbsentIdsAreNeverDuplicates) {
    const auto bridging = R"({"groups": [{"type": 1}, {"id": ""}, {"id": ""}]})"_json;
    EXPECT_EQ(bridgingIssues(kNoModeRules, bridging),
              (Lines{std::string("1|/bridges/groups/0|group_no_networking|") + kNoNetworking,
                     std::string("1|/bridges/groups/1|group_no_networking|") + kNoNetworking,
                     std::string("1|/bridges/groups/2|group_no_networking|") + kNoNetworking}));
}

TEST(GroupPhase, NonObjectElementsAreSkippedButCounted) {
    const auto bridging = R"({"groups": [5, {"id": "x", "type": 3}]})"_json;
    EXPECT_EQ(
        bridgingIssues(0, bridging),
        (Lines{std::string("1|/bridges/groups/1 (id=x)|group_no_networking|") + kNoNetworking}));
}

TEST(GroupPhase, OneGroupDrawsItsIssuesInRuleOrder) {
    const auto bridging = R"({"groups": [
        {"id": "a", "type": 1, "bridgeTargetOutputDetail": {"mode": 1}, "tx": {"p": 1}},
        {"id": "a", "type": 3}
    ]})"_json;
    EXPECT_EQ(
        bridgingIssues(1, bridging),
        (Lines{"0|/bridges/groups/1 (id=a)|duplicate_group_id|"
               "Duplicate group id 'a' (also at index 0)",
               "0|/bridges/groups/1 (id=a)|mode_requires_audio_group|"
               "Server mode 1 requires group type gtAudio (1); found type 3",
               "2|/bridges/groups/1 (id=a)|mode_force_multistream|"
               "Server mode omMultistream will force BOM=bomMultistream at runtime",
               std::string("1|/bridges/groups/1 (id=a)|group_no_networking|") + kNoNetworking}));
}

TEST(AudioRequirement, MixedStreamRejectsARawGroupAndForcesItsOutputMode) {
    const auto bridging = R"({"groups": [{"id": "r", "type": 3, "tx": {"p": 1}}]})"_json;
    EXPECT_EQ(bridgingIssues(2, bridging),
              (Lines{"0|/bridges/groups/0 (id=r)|mode_requires_audio_group|"
                     "Server mode 2 requires group type gtAudio (1); found type 3",
                     "2|/bridges/groups/0 (id=r)|mode_force_mixed|"
                     "Server mode omMixedStream will force BOM=bomMixedStream at runtime"}));
}

TEST(AudioRequirement, AnAudioGroupWithTheMatchingOutputModeIsQuiet) {
    EXPECT_EQ(bridgingIssues(1, R"({"groups": [
        {"type": 1, "bridgeTargetOutputDetail": {"mode": 1}, "tx": {"p": 1}}]})"_json),
              Lines{});
    EXPECT_EQ(bridgingIssues(2, R"({"groups": [
        {"type": 1, "bridgeTargetOutputDetail": {"mode": 2}, "tx": {"p": 1}}]})"_json),
              Lines{});
}

TEST(AudioRequirement, TypeIsWrittenSigned) {
    const auto bridging = R"({"groups": [
        {"type": -7, "bridgeTargetOutputDetail": {"mode": 1}, "tx": {"p": 1}}]})"_json;
    EXPECT_EQ(bridgingIssues(1, bridging),
              (Lines{"0|/bridges/groups/0|mode_requires_audio_group|"
                     "Server mode 1 requires group type gtAudio (1); found type -7"}));
}

TEST(ModeRawRule, OnlyARawGroupWithRawOutputIsLeftAlone) {
    EXPECT_EQ(bridgingIssues(0, R"({"groups": [
        {"type": 3, "bridgeTargetOutputDetail": {"mode": 0}, "tx": {"p": 1}},
        {"type": 3, "tx": {"p": 1}}]})"_json),
              Lines{});
    const std::string forced =
        "|mode_force_raw|Server mode omRaw will force group type=gtRaw and BOM=bomRaw at runtime";
    EXPECT_EQ(bridgingIssues(0, R"({"groups": [
        {"type": 1, "tx": {"p": 1}},
        {"type": 3, "bridgeTargetOutputDetail": {"mode": 2}, "tx": {"p": 1}}]})"_json),
              (Lines{"2|/bridges/groups/0" + forced, "2|/bridges/groups/1" + forced}));
}

TEST(ModeMultistreamRule, ForcesAnyOtherOutputMode) {
    const auto bridging = R"({"groups": [
        {"type": 1, "tx": {"p": 1}},
        {"type": 1, "bridgeTargetOutputDetail": {"mode": 3}, "tx": {"p": 1}}]})"_json;
    const std::string forced =
        "|mode_force_multistream|Server mode omMultistream will force BOM=bomMultistream at "
        "runtime";
    EXPECT_EQ(bridgingIssues(1, bridging),
              (Lines{"2|/bridges/groups/0" + forced, "2|/bridges/groups/1" + forced}));
}

TEST(DictatedByGroupRule, RawOutputNeedsARawGroup) {
    const auto bridging = R"({"groups": [
        {"id": "g", "type": 1, "tx": {"p": 1}},
        {"type": 3, "tx": {"p": 1}}]})"_json;
    EXPECT_EQ(bridgingIssues(3, bridging),
              (Lines{"0|/bridges/groups/0 (id=g)|bom_type_mismatch|"
                     "bomRaw requires group type gtRaw (3); found type 1"}));
}

TEST(DictatedByGroupRule, StreamingOutputNeedsAnAudioGroup) {
    const auto bridging = R"({"groups": [
        {"type": 0, "bridgeTargetOutputDetail": {"mode": 2}, "tx": {"p": 1}},
        {"type": 3, "bridgeTargetOutputDetail": {"mode": 1}, "tx": {"p": 1}},
        {"type": 1, "bridgeTargetOutputDetail": {"mode": 1}, "tx": {"p": 1}}]})"_json;
    EXPECT_EQ(bridgingIssues(3, bridging),
              (Lines{"0|/bridges/groups/0|bom_type_mismatch|"
                     "BOM 2 requires group type gtAudio (1); found type 0",
                     "0|/bridges/groups/1|bom_type_mismatch|"
                     "BOM 1 requires group type gtAudio (1); found type 3"}));
}

TEST(DictatedByGroupRule, NoneOrUnknownOutputModeDecidesNothing) {
    const auto bridging = R"({"groups": [
        {"type": 0, "bridgeTargetOutputDetail": {"mode": 3}, "tx": {"p": 1}},
        {"type": 3, "bridgeTargetOutputDetail": {"mode": 3}, "tx": {"p": 1}},
        {"type": 2, "bridgeTargetOutputDetail": {"mode": 7}, "tx": {"p": 1}},
        {"type": 2, "bridgeTargetOutputDetail": {"mode": -1}, "tx": {"p": 1}}]})"_json;
    EXPECT_EQ(bridgingIssues(3, bridging), Lines{});
}

TEST(ModeRules, UnknownServerModesHaveNoModeIssues) {
    const auto bridging = R"({"groups": [{"type": 3, "bridgeTargetOutputDetail": {"mode": 2},
                                          "tx": {"p": 1}}]})"_json;
    EXPECT_EQ(bridgingIssues(4, bridging), Lines{});
    EXPECT_EQ(bridgingIssues(-1, bridging), Lines{});
}

TEST(ModeRules, FloatsAndOtherMistypedNumbersReadAsZero) {
    // The server reads 1.0 and 2.0 as mistyped members, like "3" and [].
    const auto bridging = R"({"groups": [
        {"type": 1.0, "bridgeTargetOutputDetail": {"mode": 2}, "tx": {"p": 1}},
        {"type": 1, "bridgeTargetOutputDetail": [], "tx": {"p": 1}},
        {"type": 1, "bridgeTargetOutputDetail": {"mode": 2.0}, "tx": {"p": 1}},
        {"type": "3", "bridgeTargetOutputDetail": {"mode": 0}, "tx": {"p": 1}},
        {"type": 1.5, "bridgeTargetOutputDetail": {"mode": 1}, "tx": {"p": 1}}]})"_json;
    EXPECT_EQ(bridgingIssues(3, bridging),
              (Lines{"0|/bridges/groups/0|bom_type_mismatch|"
                     "BOM 2 requires group type gtAudio (1); found type 0",
                     "0|/bridges/groups/1|bom_type_mismatch|"
                     "bomRaw requires group type gtRaw (3); found type 1",
                     "0|/bridges/groups/2|bom_type_mismatch|"
                     "bomRaw requires group type gtRaw (3); found type 1",
                     "0|/bridges/groups/3|bom_type_mismatch|"
                     "bomRaw requires group type gtRaw (3); found type 0",
                     "0|/bridges/groups/4|bom_type_mismatch|"
                     "BOM 1 requires group type gtAudio (1); found type 0"}));
}

TEST(ModeRules, AFloatServerModeRunsAsOmRaw) {
    // "mode": 2.0 is mistyped, so the server runs omRaw: a note, no error.
    ValidationResult result;
    applySemanticRules("Obs", R"({"server": {"mode": 2.0},
        "bridges": {"groups": [{"type": 3, "tx": {"p": 1}, "bridgeTargetOutputDetail": {"mode": 2}}]}})"_json,
                       result);
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_EQ(result.issues[0].code, "mode_force_raw");
}

// --strict says where the server reads a written integer as the default;
// the rules' own issues stay the same, with or without it.
TEST(FloatReadings, StrictWarnsWhereTheServerReadsTheDefault) {
    const std::string text = R"({"server": {"mode": 2.0}, "bridges": {"groups": [
        {"id": "a", "type": 1e0, "bridgeTargetOutputDetail": {"mode": 2.0}, "tx": {"p": 1}},
        {"type": 1.5, "bridgeTargetOutputDetail": {"mode": 0}, "tx": {"p": 1}},
        {"type": 3, "bridgeTargetOutputDetail": {"mode": -0.0}, "tx": {"p": 1}}]}})";
    ValidateOptions strict;
    strict.strict = true;
    std::vector<std::string> warned;
    for (const Issue& issue : validateText("Obs", text, strict).issues) {
        if (issue.code == "integral_float") warned.push_back(issue.pointer + "|" + issue.path);
    }
    EXPECT_EQ(warned,
              (Lines{"/server/mode|/server/mode", "/bridges/groups/0/type|/bridges/groups/0 (id=a)",
                     "/bridges/groups/0/bridgeTargetOutputDetail/mode|"
                     "/bridges/groups/0 (id=a)"}));
    const auto codes = [](const ValidationResult& result) {
        std::vector<std::string> out;
        for (const Issue& issue : result.issues) {
            if (issue.code != "integral_float" && issue.code != "schema") out.push_back(issue.code);
        }
        return out;
    };
    EXPECT_EQ(codes(validateText("Obs", text, strict)),
              codes(validateText("Obs", text, ValidateOptions{})));

    // -0.0 is read as the default 0 as well, which is what it says: no warning.
    // A server file checked alone: the warning has its place in the text.
    const ValidationResult server =
        validateText("BridgingServerConfiguration", "{\n  \"mode\": 3.0\n}", strict);
    ASSERT_FALSE(server.issues.empty());
    const Issue& warning = server.issues.back();
    EXPECT_EQ(warning.code, "integral_float");
    EXPECT_EQ(warning.severity, Severity::Warning);
    EXPECT_EQ(warning.pointer, "/mode");
    EXPECT_EQ(warning.location.line, 2u);
    EXPECT_EQ(warning.location.column, 11u);
    EXPECT_NE(warning.message.find("default 0 (omRaw)"), std::string::npos);
}

TEST(GroupNetworking, MessageIsSixtySixBytesWithAnEmDash) {
    ValidationResult result;
    checkGroupNetworking(R"({"id": "g"})"_json, 4, result);
    ASSERT_EQ(result.issues.size(), 1u);
    const Issue& issue = result.issues[0];
    EXPECT_EQ(issue.severity, Severity::Warning);
    EXPECT_EQ(issue.path, "/bridges/groups/4 (id=g)");
    EXPECT_EQ(issue.code, "group_no_networking");
    EXPECT_EQ(issue.message.size(), 66u);
    EXPECT_EQ(issue.message.rfind("Group has no vortapoints, tx/rx, or appTransport ", 0), 0u);
    EXPECT_EQ(issue.message.substr(49, 3), "\xE2\x80\x94");
    EXPECT_EQ(issue.message.substr(52), " may blackhole");
}

TEST(GroupNetworking, EmptyOrMistypedMembersAreNoNetworking) {
    const auto bridging = R"({"groups": [
        {"vortapoints": []},
        {"tx": {}},
        {"rx": {}, "tx": []},
        {"appTransport": {"id": ""}},
        {"appTransport": {"name": "t"}},
        {"appTransport": "t"},
        {"vortapoints": {"a": 1}, "tx": [1], "rx": "x"}
    ]})"_json;
    Lines expected;
    for (int i = 0; i < 7; ++i) {
        expected.push_back("1|/bridges/groups/" + std::to_string(i) + "|group_no_networking|" +
                           kNoNetworking);
    }
    EXPECT_EQ(bridgingIssues(kNoModeRules, bridging), expected);
}

TEST(GroupNetworking, AnyOneUsableMemberIsEnough) {
    const auto bridging = R"({"groups": [
        {"vortapoints": [{}]},
        {"tx": {"x": null}},
        {"rx": {"address": "239.1.1.1"}},
        {"appTransport": {"id": "t"}}
    ]})"_json;
    EXPECT_EQ(bridgingIssues(kNoModeRules, bridging), Lines{});
}

TEST(NonStringIds, GroupIdReadsAsAbsentAndTheRulesGoOn) {
    const auto bridging = R"({"groups": [
        {"id": 5, "type": 3},
        {"id": 5, "type": 3, "tx": {"p": 1}},
        {"id": null, "type": 1, "bridgeTargetOutputDetail": {"mode": 2}, "tx": {"p": 1}}
    ]})"_json;
    EXPECT_EQ(bridgingIssues(2, bridging),
              (Lines{"0|/bridges/groups/0|mode_requires_audio_group|"
                     "Server mode 2 requires group type gtAudio (1); found type 3",
                     "2|/bridges/groups/0|mode_force_mixed|"
                     "Server mode omMixedStream will force BOM=bomMixedStream at runtime",
                     std::string("1|/bridges/groups/0|group_no_networking|") + kNoNetworking,
                     "0|/bridges/groups/1|mode_requires_audio_group|"
                     "Server mode 2 requires group type gtAudio (1); found type 3",
                     "2|/bridges/groups/1|mode_force_mixed|"
                     "Server mode omMixedStream will force BOM=bomMixedStream at runtime"}));
}

TEST(NonStringIds, NonStringAppTransportIdGivesNoNetworking) {
    const auto bridging = R"({"groups": [
        {"id": "g", "appTransport": {"id": 7}},
        {"id": "h", "appTransport": {"id": 7}, "tx": {"p": 1}}
    ]})"_json;
    EXPECT_EQ(
        bridgingIssues(kNoModeRules, bridging),
        (Lines{std::string("1|/bridges/groups/0 (id=g)|group_no_networking|") + kNoNetworking}));
}

// Builds `depth` levels of {"n": ...} or [...] around a leaf, without recursion.
nlohmann::json nested(std::size_t depth, bool objects) {
    nlohmann::json value = "leaf";
    for (std::size_t i = 0; i < depth; ++i) {
        nlohmann::json outer = objects ? nlohmann::json::object() : nlohmann::json::array();
        if (objects) {
            outer["n"] = std::move(value);
        } else {
            outer.push_back(std::move(value));
        }
        value = std::move(outer);
    }
    return value;
}

TEST(DeepNesting, DeepMembersAreReadWithoutDescending) {
    constexpr std::size_t kDepth = 100000;
    auto bridging = R"({"groups": [
        {"type": 3},
        {"id": "v", "type": 3},
        {"id": "a", "type": 3, "tx": {"p": 1}},
        {"type": 3, "tx": {"p": 1}}
    ], "bridges": [{"id": "b", "groups": ["v"]}]})"_json;
    auto& groups = bridging["groups"];
    groups[0]["tx"] = nested(kDepth, true);
    groups[0]["name"] = nested(kDepth, false);
    groups[0]["id"] = nested(kDepth, true);
    groups[1]["vortapoints"] = nested(kDepth, false);
    groups[2]["appTransport"] = nlohmann::json::object();
    groups[2]["appTransport"]["id"] = nested(kDepth, false);
    groups[3]["bridgeTargetOutputDetail"] = nlohmann::json::object();
    groups[3]["bridgeTargetOutputDetail"]["mode"] = nested(kDepth, true);
    bridging["bridges"][0]["name"] = nested(kDepth, true);

    ValidationResult result;
    applySemanticRules("BridgingConfiguration", bridging, result);
    EXPECT_EQ(describeAll(result), Lines{});

    // The same deep values where they do not count as networking.
    groups[0]["tx"] = nested(kDepth, false);
    groups[1]["vortapoints"] = nested(kDepth, true);
    EXPECT_EQ(
        semanticIssues("BridgingConfiguration", bridging),
        (Lines{std::string("1|/bridges/groups/0|group_no_networking|") + kNoNetworking,
               std::string("1|/bridges/groups/1 (id=v)|group_no_networking|") + kNoNetworking}));
}

}  // namespace
}  // namespace OrvexConfigValidate
