// Strict mode: members that no schema at their place names.
#include <gtest/gtest.h>

#include <string>

#include "EngineHarness.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

const json kGroup = json::parse(R"({"type": "object",
    "properties": {"id": {"type": "string"}, "vortapoints": {"type": "array"},
                   "tx": {"type": "object", "properties": {"port": {"type": "integer"}}}},
    "patternProperties": {"^x-": true}})");

TEST(EngineStrict, UnknownMembersAreWarningsWithAHint) {
    const ValidationResult result = check(
        kGroup, json::parse(R"({"id": "g", "vortapionts": [], "x-note": 1, "zzz": 0})"), true);
    ASSERT_EQ(result.issues.size(), 2u);
    const Issue& typo = result.issues[0];
    EXPECT_EQ(typo.severity, Severity::Warning);
    EXPECT_EQ(typo.code, "unknown_member");
    EXPECT_EQ(typo.path, "/vortapionts");
    EXPECT_EQ(typo.pointer, "/vortapionts");
    EXPECT_EQ(typo.message, R"(unknown member "vortapionts")");
    EXPECT_EQ(typo.hint, R"(did you mean "vortapoints"?)");
    EXPECT_EQ(result.issues[1].path, "/zzz");
    EXPECT_EQ(result.issues[1].hint, "");
    // Warnings alone leave the result ok.
    EXPECT_TRUE(result.ok);
}

TEST(EngineStrict, CaseAndNestingAreFollowed) {
    const ValidationResult result =
        check(kGroup, json::parse(R"({"ID": "g", "tx": {"Port": 1, "prot": 2}})"), true);
    EXPECT_EQ(paths(result), (std::vector<std::string>{"/ID", "/tx/Port", "/tx/prot"}));
    ASSERT_EQ(result.issues.size(), 3u);
    EXPECT_EQ(result.issues[0].hint, R"(did you mean "id"?)");
    EXPECT_EQ(result.issues[1].hint, R"(did you mean "port"?)");
    EXPECT_EQ(result.issues[2].hint, R"(did you mean "port"?)");
}

// A suggestion is what a fix renames to: only when every schema of the new
// name takes the value, nested members and patterns included.
TEST(EngineStrict, ASuggestionIsGivenOnlyForAValueItsNameTakes) {
    const json schema = json::parse(R"({"properties": {"tx": {"type": "object",
        "properties": {"port": {"type": "integer"}}}, "id": {"type": "string"}},
        "allOf": [{"patternProperties": {"^t": {"required": ["port"]}}}]})");
    const struct {
        const char* document;
        const char* suggestion;
    } cases[] = {
        {R"({"Tx": {"port": 1}})", "tx"}, {R"({"Tx": 5})", ""},
        {R"({"Tx": {"port": "a"}})", ""}, {R"({"Tx": {}})", ""},  // the pattern's schema refuses it
        {R"({"ID": "g"})", "id"},         {R"({"ID": false})", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document);
        const ValidationResult result = check(schema, json::parse(c.document), true);
        ASSERT_EQ(result.issues.size(), 1u);
        EXPECT_EQ(result.issues[0].suggestion, c.suggestion);
        // The hint still names the close name.
        EXPECT_NE(result.issues[0].hint, "");
    }
}

TEST(EngineStrict, OffByDefault) {
    EXPECT_TRUE(check(kGroup, json::parse(R"({"vortapionts": []})")).issues.empty());
}

TEST(EngineStrict, NamesThroughAllOfAndRefAreKnown) {
    const json schema = json::parse(R"({"allOf": [{"$ref": "#/definitions/base"},
        {"properties": {"extra": true}}], "definitions": {"base": {"properties": {"id": true}}},
        "properties": {"child": {"$ref": "#/definitions/base"}}})");
    EXPECT_TRUE(check(schema, json::parse(R"({"id": 1, "extra": 2, "child": {"id": 3}})"), true)
                    .issues.empty());
    EXPECT_EQ(paths(check(schema, json::parse(R"({"idd": 1, "child": {"extra": 3}})"), true)),
              (std::vector<std::string>{"/idd", "/child/extra"}));
}

TEST(EngineStrict, SchemasThatNameNoMembersAcceptAny) {
    EXPECT_TRUE(check(json::parse(R"({"type": "object"})"), json::parse(R"({"a": 1})"), true)
                    .issues.empty());
    // A member already forbidden is an error, not also a warning.
    const ValidationResult closed =
        check(json::parse(R"({"properties": {"a": true}, "additionalProperties": false})"),
              json::parse(R"({"b": 1})"), true);
    ASSERT_EQ(closed.issues.size(), 1u);
    EXPECT_EQ(closed.issues[0].code, "schema");
}

TEST(EngineStrict, MembersInsideAlternativesAreNotWarnedTwice) {
    const json schema = json::parse(R"({"anyOf": [{"properties": {"a": true}},
                                                  {"properties": {"b": true}}]})");
    const ValidationResult result = check(schema, json::parse(R"({"a": 1, "b": 2, "c": 3})"), true);
    EXPECT_EQ(paths(result), std::vector<std::string>{"/c"});
}

}  // namespace
}  // namespace OrvexConfigValidate
