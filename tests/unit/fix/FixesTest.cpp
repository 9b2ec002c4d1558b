#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "TempSchemaDir.hpp"

namespace OrvexConfigValidate {
namespace {

const char kServer[] = R"({"enginePolicy": {}, "mode": MODE})";

std::string serverInMode(int mode) {
    std::string text = kServer;
    text.replace(text.find("MODE"), 4, std::to_string(mode));
    return text;
}

// A schema whose required members each leave one value to take.
const char kFillSchema[] = R"({
  "type": "object",
  "required": ["host", "port", "proto"],
  "properties": {
    "host": {"type": "string"},
    "port": {"type": "integer", "default": 7443},
    "proto": {"enum": ["udp"]}
  }
})";

struct FixCase {
    const char* name;
    std::string schemaId;  // "" for the pair: server in `mode`, bridges in `text`
    int mode;
    std::string text;
    bool strict;
    std::string code;
    std::string fixed;  // "" when the issue has no fix
};

ValidationResult check(const FixCase& c, const std::string& text, const std::string& schemaDir) {
    ValidateOptions options;
    options.strict = c.strict;
    if (c.schemaId.empty()) return validateTextPair(serverInMode(c.mode), text, options);
    const Validator validator(ValidatorOptions{schemaDir});
    return validator.validateText(c.schemaId, text, options);
}

int sourceOf(const FixCase& c) {
    return c.schemaId.empty() ? 1 : 0;
}

using Key = std::pair<std::string, std::string>;

std::vector<Key> keysOf(const ValidationResult& result, int source) {
    std::vector<Key> keys;
    for (const Issue& issue : result.issues) {
        if (issue.source == source) keys.emplace_back(issue.code, issue.pointer);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::vector<FixCase> cases() {
    const std::string group = R"("tx": {"p": 1})";
    return {
        {"duplicate_on_one_line", "Group", 0,
         R"({"id": "g1", "type": 1, "id": "g2", )" + group + "}", false, "duplicate_key",
         R"({"type": 1, "id": "g2", )" + group + "}"},
        {"duplicate_over_crlf_lines", "Group", 0,
         "{\r\n  \"type\": 1,\r\n  \"id\": \"g1\",\r\n  \"type\": 3,\r\n  " + group + "\r\n}",
         false, "duplicate_key",
         "{\r\n  \"id\": \"g1\",\r\n  \"type\": 3,\r\n  " + group + "\r\n}"},
        {"unknown_member_renamed", "Group", 0,
         R"({"id": "g1", "type": 3, "nmae": "Talk", )" + group + "}", true, "unknown_member",
         R"({"id": "g1", "type": 3, "name": "Talk", )" + group + "}"},
        {"unknown_member_whose_name_is_taken", "Group", 0,
         R"({"id": "g1", "type": 3, "name": "a", "nmae": "b", )" + group + "}", true,
         "unknown_member", ""},
        {"reference_with_two_close_ids", "BridgingConfiguration", 0,
         R"({"groups": [{"id": "g1", "type": 3, )" + group + R"(}, {"id": "g2", "type": 3, )" +
             group + R"(}], "bridges": [{"id": "b", "groups": ["g3"]}]})",
         true, "missing_group_ref", ""},
        {"raw_mode_replaces_type_and_output_mode", "", 0,
         "{\n  \"groups\": [\n    {\n      \"id\": \"g1\",\n      \"type\": 1,\n"
         "      \"bridgeTargetOutputDetail\": {\"mode\": 2},\n      " +
             group + "\n    }\n  ]\n}",
         false, "mode_force_raw",
         "{\n  \"groups\": [\n    {\n      \"id\": \"g1\",\n      \"type\": 3,\n"
         "      \"bridgeTargetOutputDetail\": {\"mode\": 0},\n      " +
             group + "\n    }\n  ]\n}"},
        {"multistream_mode_adds_the_output_detail", "", 1,
         "{\n  \"groups\": [\n    {\n      \"id\": \"g1\",\n      \"type\": 1,\n      " + group +
             "\n    }\n  ]\n}",
         false, "mode_force_multistream",
         "{\n  \"groups\": [\n    {\n      \"id\": \"g1\",\n      \"type\": 1,\n      " + group +
             ",\n      \"bridgeTargetOutputDetail\": {\"mode\": 1}\n    }\n  ]\n}"},
        {"mixed_mode_fills_an_empty_output_detail", "", 2,
         R"({"groups": [{"id": "g1", "type": 1, "bridgeTargetOutputDetail": {}, )" + group + "}]}",
         false, "mode_force_mixed",
         R"({"groups": [{"id": "g1", "type": 1, "bridgeTargetOutputDetail": {"mode": 2}, )" +
             group + "}]}"},
        {"mixed_mode_adds_the_mode_beside_other_members", "", 2,
         R"({"groups": [{"id": "g1", "type": 1, "bridgeTargetOutputDetail": {"x":1}, )" + group +
             "}]}",
         false, "mode_force_mixed",
         R"({"groups": [{"id": "g1", "type": 1, "bridgeTargetOutputDetail": {"x":1,"mode":2}, )" +
             group + "}]}"},
        {"required_members_from_default_and_single_enum", "NetworkAddress", 0,
         "{\n\t\"host\" : \"a\"\n}", false, "schema",
         "{\n\t\"host\" : \"a\",\n\t\"port\" : 7443\n}"},
        {"required_members_into_an_empty_object", "NetworkAddress", 0, "{ }", false, "schema",
         "{\"port\": 7443}"},
    };
}

class FixesTest : public ::testing::Test {
  protected:
    void SetUp() override { schemas.write("NetworkAddress.schema.json", kFillSchema); }
    TempSchemaDir schemas;
};

// Applying the fix of the case's issue gives its text, which still parses,
// and in which that issue is gone and every other one stays.
TEST_F(FixesTest, EachFixGivesValidJsonWithoutItsIssueAndNothingElseChanged) {
    for (const FixCase& c : cases()) {
        SCOPED_TRACE(c.name);
        const ValidationResult before = check(c, c.text, schemas.path());
        // Of several issues of the code, the one with a fix if any has one.
        auto issue = std::find_if(before.issues.begin(), before.issues.end(), [&](const Issue& i) {
            return i.code == c.code && !i.fixes.empty();
        });
        if (issue == before.issues.end()) {
            issue = std::find_if(before.issues.begin(), before.issues.end(),
                                 [&](const Issue& i) { return i.code == c.code; });
        }
        ASSERT_NE(issue, before.issues.end());
        if (c.fixed.empty()) {
            EXPECT_TRUE(issue->fixes.empty());
            continue;
        }
        ASSERT_EQ(issue->fixes.size(), 1U);
        EXPECT_TRUE(issue->fixes[0].safe);
        EXPECT_FALSE(issue->fixes[0].title.empty());
        const AppliedFixes applied = applySafeFixes(c.text, {*issue}, sourceOf(c));
        EXPECT_EQ(applied.applied, 1U);
        EXPECT_EQ(applied.text, c.fixed);
        EXPECT_TRUE(parseText(applied.text).ok());

        const ValidationResult after = check(c, applied.text, schemas.path());
        std::vector<Key> expected = keysOf(before, sourceOf(c));
        expected.erase(
            std::find(expected.begin(), expected.end(), Key{issue->code, issue->pointer}));
        EXPECT_EQ(keysOf(after, sourceOf(c)), expected);
    }
}

// What all safe fixes of a strict check make of a text, in one round: never
// an issue that was not there (a rename into a name that an added default
// writes too would leave it twice, and the operator's value could be the
// one a later round drops).
TEST_F(FixesTest, SafeFixesNeverAddAnIssueNorChangeWhatTheIssueDoesNotSay) {
    const std::string tx = R"("tx": {"p": 1})";
    const std::string groups = R"({"groups": [{"id": "ch1", "type": 3, )" + tx + "}, " +
                               R"({"id": "ch3", "type": 3, )" + tx + "}], ";
    const struct {
        const char* name;
        std::string schemaId;
        std::string text;
        std::string fixed;
    } cases[] = {
        // Offered for the operator to choose, never taken unasked.
        {"reference_to_another_group", "BridgingConfiguration",
         groups + R"("bridges": [{"id": "b", "groups": ["ch2"]}]})",
         groups + R"("bridges": [{"id": "b", "groups": ["ch2"]}]})"},
        {"rename_whose_value_the_new_name_refuses", "Group",
         R"({"id": "g", "type": 3, "txaudio": false, )" + tx + "}",
         R"({"id": "g", "type": 3, "txaudio": false, )" + tx + "}"},
        {"two_typos_of_one_name", "Group",
         R"({"id": "g", "type": 3, "nmae": "a", "naem": "b", )" + tx + "}",
         R"({"id": "g", "type": 3, "nmae": "a", "name": "b", )" + tx + "}"},
        // Renamed, the bridges would name groups that no group defines.
        {"rename_that_brings_a_value_under_the_cross_field_rules", "BridgingConfiguration",
         groups + R"("bridge": [{"id": "b", "groups": ["ch2"]}]})",
         groups + R"("bridge": [{"id": "b", "groups": ["ch2"]}]})"},
        {"rename_into_a_required_member_with_a_default", "NetworkAddress",
         R"({"host": "a", "pport": 80})", R"({"host": "a", "port": 80, "proto": "udp"})"},
    };
    const Validator validator(ValidatorOptions{schemas.path()});
    ValidateOptions strict;
    strict.strict = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ValidationResult before = validator.validateText(c.schemaId, c.text, strict);
        const AppliedFixes applied = applySafeFixes(c.text, before.issues);
        EXPECT_EQ(applied.text, c.fixed);
        const std::vector<Key> was = keysOf(before, 0);
        const std::vector<Key> now =
            keysOf(validator.validateText(c.schemaId, applied.text, strict), 0);
        EXPECT_TRUE(std::includes(was.begin(), was.end(), now.begin(), now.end()));
    }
}

// The editor still offers the one close id; the operator picks it.
TEST(Fixes, AReferenceToAnotherGroupIsOfferedButNotSafe) {
    ValidateOptions strict;
    strict.strict = true;
    const std::string text = R"({"groups": [{"id": "ch1", "type": 3, "tx": {"p": 1}}],
        "bridges": [{"id": "b", "groups": ["ch2"]}]})";
    const ValidationResult result = validateText("BridgingConfiguration", text, strict);
    const auto reference =
        std::find_if(result.issues.begin(), result.issues.end(),
                     [](const Issue& i) { return i.code == "missing_group_ref"; });
    ASSERT_NE(reference, result.issues.end());
    ASSERT_EQ(reference->fixes.size(), 1U);
    EXPECT_FALSE(reference->fixes[0].safe);
    EXPECT_EQ(reference->fixes[0].title, "Replace with \"ch1\"");
}

// Each required member draws its own fix. Two additions at one place
// clash, as their order is a guess: the second is taken on the next round.
TEST_F(FixesTest, SafeFixesOfATextApplyTogetherAndClashesWaitForTheNextRound) {
    const Validator validator(ValidatorOptions{schemas.path()});
    const std::string text = "{\"host\": \"a\", \"host\": \"b\"}";
    const AppliedFixes first =
        applySafeFixes(text, validator.validateText("NetworkAddress", text, {}).issues);
    EXPECT_EQ(first.applied, 2U);
    EXPECT_EQ(first.text, "{\"host\": \"b\", \"port\": 7443}");
    const AppliedFixes second =
        applySafeFixes(first.text, validator.validateText("NetworkAddress", first.text, {}).issues);
    EXPECT_EQ(second.applied, 1U);
    EXPECT_EQ(second.text, "{\"host\": \"b\", \"port\": 7443, \"proto\": \"udp\"}");
    EXPECT_TRUE(validator.validateText("NetworkAddress", second.text, {}).issues.empty());
}

TEST(ApplySafeFixes, TakesFixesInOrderAndSkipsClashesUnsafeOnesAndOtherSources) {
    const auto fix = [](std::vector<TextEdit> edits, bool safe = true) {
        Issue issue;
        issue.fixes.push_back(Fix{"t", std::move(edits), safe});
        return issue;
    };
    std::vector<Issue> issues{
        fix({{1, 2, "X"}}),
        fix({{2, 1, "Y"}}),         // overlaps the first
        fix({{1, 0, "Z"}}),         // same place as the first
        fix({{3, 0, "W"}}),         // right after the first: fine
        fix({{5, 1, "V"}}, false),  // not safe
        fix({{6, 9, "U"}}),         // past the end
        fix({{0, 0, "<"}, {7, 0, ">"}}),
    };
    Issue other = fix({{4, 1, "S"}});
    other.source = 1;
    issues.push_back(other);
    const AppliedFixes applied = applySafeFixes("abcdefg", issues);
    EXPECT_EQ(applied.applied, 3U);
    EXPECT_EQ(applied.text, "<aXWdefg>");
}

// The ParsedText overloads keep no text: the caller hands it in.
TEST_F(FixesTest, FixesOfParsedTextsComeFromTheTextHandedIn) {
    const std::string text = R"({"id": "g1", "id": "g2", "type": 3, "tx": {"p": 1}})";
    ParsedText parsed = parseText(text);
    ValidationResult result = validateText("Group", parsed, {});
    ASSERT_FALSE(result.issues.empty());
    EXPECT_TRUE(result.issues[0].fixes.empty());
    addFixes(result, parsed, text);
    ASSERT_EQ(result.issues[0].fixes.size(), 1U);
    EXPECT_EQ(applySafeFixes(text, result.issues).text,
              R"({"id": "g2", "type": 3, "tx": {"p": 1}})");
    // A text other than the one parsed gets none.
    ValidationResult shorter = validateText("Group", parsed, {});
    addFixes(shorter, parsed, "{}");
    EXPECT_TRUE(shorter.issues[0].fixes.empty());
}

}  // namespace
}  // namespace OrvexConfigValidate
