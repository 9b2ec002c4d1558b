#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "TempSchemaDir.hpp"

namespace OrvexConfigValidate {
namespace {

using Json = nlohmann::json;

const Issue* findCode(const ValidationResult& result, const std::string& code,
                      std::size_t nth = 0) {
    for (const Issue& issue : result.issues) {
        if (issue.code == code && nth-- == 0) return &issue;
    }
    return nullptr;
}

// Groups at lines 3 to 6; the bridge at line 9 names groups on line 10.
const std::string kBridges = R"({
  "groups": [
    {"id": "g1", "type": 1, "tx": {"p": 1}, "bridgeTargetOutputDetail": {"mode": 1}},
    {"id": "g2", "type": 1, "bridgeTargetOutputDetail": {"mode": 1}},
    {"id": "g1", "type": 1, "tx": {"p": 1}, "bridgeTargetOutputDetail": {"mode": 1}},
    {"id": "g3", "type": "audio", "tx": {"p": 1}}
  ],
  "bridges": [
    {"id": "b1",
     "groups": ["g1", "G2", "zz"]}
  ]
})";

TEST(ValidateText, EveryIssueCarriesThePlaceOfItsPointer) {
    const ParsedText parsed = parseText(kBridges);
    const auto result = validateText("BridgingConfiguration", kBridges, ValidateOptions{});
    EXPECT_FALSE(result.ok);
    ASSERT_FALSE(result.issues.empty());
    for (const Issue& issue : result.issues) {
        EXPECT_TRUE(issue.location.known()) << issue.code;
        EXPECT_EQ(issue.source, 0);
        // The location is that of the value the pointer names, or of its
        // nearest existing parent.
        const TextLocation expected = parsed.locate(issue.pointer);
        EXPECT_EQ(issue.location.offset, expected.offset) << issue.code << " " << issue.pointer;
        EXPECT_EQ(issue.location.length, expected.length);
    }
    const Issue* noNetworking = findCode(result, "group_no_networking");
    ASSERT_NE(noNetworking, nullptr);
    EXPECT_EQ(noNetworking->pointer, "/groups/1");
    EXPECT_EQ(noNetworking->location.line, 4u);
    EXPECT_EQ(noNetworking->location.column, 5u);

    const Issue* wrongType = nullptr;
    for (const Issue& issue : result.issues) {
        if (issue.code == "schema" && issue.pointer == "/groups/3/type") wrongType = &issue;
    }
    ASSERT_NE(wrongType, nullptr);
    EXPECT_EQ(wrongType->location.line, 6u);
    EXPECT_EQ(wrongType->location.column, 26u);

    const Issue* missing = findCode(result, "missing_group_ref", 1);
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->pointer, "/bridges/0/groups/2");
    EXPECT_EQ(missing->location.line, 10u);
    EXPECT_EQ(missing->location.column, 29u);
    EXPECT_EQ(missing->hint, "");  // only when strict
}

TEST(ValidateText, DuplicateGroupIdIsRelatedToTheFirstDefinition) {
    const auto result = validateText("BridgingConfiguration", kBridges, ValidateOptions{});
    const Issue* duplicate = findCode(result, "duplicate_group_id");
    ASSERT_NE(duplicate, nullptr);
    EXPECT_EQ(duplicate->location.line, 5u);
    EXPECT_EQ(duplicate->related.line, 3u);
    EXPECT_EQ(duplicate->related.column, 5u);
    EXPECT_FALSE(findCode(result, "group_no_networking")->related.known());
}

TEST(ValidateText, StrictSuggestsCloseGroupIds) {
    ValidateOptions options;
    options.strict = true;
    const auto result = validateText("BridgingConfiguration", kBridges, options);
    const Issue* caseTypo = findCode(result, "missing_group_ref", 0);
    const Issue* unknown = findCode(result, "missing_group_ref", 1);
    ASSERT_NE(caseTypo, nullptr);
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(caseTypo->hint, "did you mean \"g2\"?");
    EXPECT_EQ(caseTypo->message, "Bridge references group id 'G2' which has no definition");
    EXPECT_EQ(unknown->hint, "");
}

TEST(ValidateText, ParseErrorIsTheOnlyIssue) {
    const auto result = validateText("Group", "{\"id\": \"g\",\n  \"type\": 1,\n}", {});
    EXPECT_FALSE(result.ok);
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_EQ(result.issues[0].code, "parse_error");
    EXPECT_EQ(result.issues[0].location.line, 3u);
    EXPECT_EQ(result.issues[0].location.column, 1u);
}

TEST(ValidateText, DuplicateKeysAreWarningsUnderTheVerdict) {
    const std::string text = R"({"id": "g", "type": 3, "type": 3, "tx": {"p": 1}})";
    const auto lenient = validateText("Group", text, ValidateOptions{});
    EXPECT_TRUE(lenient.ok);
    ASSERT_EQ(lenient.issues.size(), 1u);
    EXPECT_EQ(lenient.issues[0].code, "duplicate_key");
    EXPECT_EQ(lenient.issues[0].location.column, 24u);
    EXPECT_EQ(lenient.issues[0].related.column, 13u);

    ValidateOptions failOnWarning;
    failOnWarning.failOnWarning = true;
    EXPECT_FALSE(validateText("Group", text, failOnWarning).ok);
}

TEST(ValidateText, AgreesWithValidateOnTheSameDocument) {
    const auto byText = validateText("BridgingConfiguration", kBridges, ValidateOptions{});
    const auto byDocument =
        validate("BridgingConfiguration", Json::parse(kBridges), ValidateOptions{});
    ASSERT_EQ(byText.issues.size(), byDocument.issues.size());
    for (std::size_t i = 0; i < byText.issues.size(); ++i) {
        EXPECT_EQ(byText.issues[i].code, byDocument.issues[i].code);
        EXPECT_EQ(byText.issues[i].path, byDocument.issues[i].path);
        EXPECT_EQ(byText.issues[i].pointer, byDocument.issues[i].pointer);
    }
    EXPECT_EQ(byText.ok, byDocument.ok);
}

const std::string kServer = "{\n  \"mode\": 2,\n  \"id\": 5\n}";

TEST(ValidateTextPair, IssuesBelongToTheirOwnText) {
    const auto result = validateTextPair(kServer, kBridges, ValidateOptions{});
    EXPECT_FALSE(result.ok);
    bool sawServer = false;
    bool sawBridges = false;
    for (const Issue& issue : result.issues) {
        if (issue.source == 0) {
            sawServer = true;
            EXPECT_TRUE(Json::parse(kServer).contains(Json::json_pointer(issue.pointer)))
                << issue.pointer;
        } else {
            ASSERT_EQ(issue.source, 1);
            sawBridges = true;
            EXPECT_EQ(issue.pointer.rfind("/bridges/bridges", 0), std::string::npos);
            EXPECT_EQ(
                issue.pointer.rfind("/groups", 0) == 0 || issue.pointer.rfind("/bridges", 0) == 0,
                true)
                << issue.pointer;
        }
        EXPECT_TRUE(issue.location.known());
    }
    EXPECT_TRUE(sawServer);
    EXPECT_TRUE(sawBridges);
    // Mode 2 makes the gtAudio rule and the forcing note fire in the bridges text.
    const Issue* forced = findCode(result, "mode_force_mixed");
    ASSERT_NE(forced, nullptr);
    EXPECT_EQ(forced->source, 1);
    EXPECT_EQ(forced->pointer, "/groups/0");
    EXPECT_EQ(forced->path, "/bridges/groups/0 (id=g1)");
    EXPECT_EQ(forced->location.line, 3u);
}

TEST(ValidateTextPair, AnUnreadableTextLeavesTheOtherJudgedAlone) {
    const auto result = validateTextPair("{\"mode\": 2,", kBridges, ValidateOptions{});
    EXPECT_FALSE(result.ok);
    ASSERT_FALSE(result.issues.empty());
    EXPECT_EQ(result.issues[0].code, "parse_error");
    EXPECT_EQ(result.issues[0].source, 0);
    // Judged as a bridges file alone: group-dictated, so no mode-2 rules.
    EXPECT_EQ(findCode(result, "mode_requires_audio_group"), nullptr);
    ASSERT_NE(findCode(result, "duplicate_group_id"), nullptr);
    EXPECT_EQ(findCode(result, "duplicate_group_id")->source, 1);
}

TEST(ValidateTextPair, EnvelopeLevelIssuesGoToTheServerText) {
    // A server text that is not an object breaks the envelope's "server".
    const auto result = validateTextPair("[1]", "{\"groups\": []}", ValidateOptions{});
    ASSERT_FALSE(result.issues.empty());
    for (const Issue& issue : result.issues) {
        EXPECT_EQ(issue.source, 0) << issue.code << " " << issue.path;
        EXPECT_EQ(issue.pointer, "");
        EXPECT_EQ(issue.location.offset, 0u);
    }
}

TEST(ValidatorText, UsesTheValidatorsOwnSchemas) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", R"({"type": "object", "required": ["name"]})");
    const Validator withDirectory{ValidatorOptions{dir.path()}};
    const std::string group = R"({"id": "g", "type": 3, "tx": {"p": 1}})";
    const auto own = withDirectory.validateText("Group", group, ValidateOptions{});
    ASSERT_EQ(own.issues.size(), 1u);
    EXPECT_EQ(own.issues[0].code, "schema");
    EXPECT_EQ(own.issues[0].location.line, 1u);
    EXPECT_FALSE(own.ok);
}

}  // namespace
}  // namespace OrvexConfigValidate
