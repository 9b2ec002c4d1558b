// What each keyword says, and where.
#include <gtest/gtest.h>

#include <string>

#include "EngineHarness.hpp"
#include "engine/ValueText.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

std::string say(const char* schema, const char* document) {
    return onlyMessage(check(json::parse(schema), json::parse(document)));
}

TEST(EngineMessages, ScalarKeywordsNameValueAndLimit) {
    EXPECT_EQ(say(R"({"maximum": 65535})", "65536"), "65536 is greater than the maximum 65535");
    EXPECT_EQ(say(R"({"minimum": 0})", "-1"), "-1 is less than the minimum 0");
    EXPECT_EQ(say(R"({"minimum": 0.5})", "0.25"), "0.25 is less than the minimum 0.5");
    EXPECT_EQ(say(R"({"exclusiveMaximum": 10})", "10"),
              "10 is not less than the exclusive maximum 10");
    EXPECT_EQ(say(R"({"exclusiveMinimum": 0})", "0"),
              "0 is not greater than the exclusive minimum 0");
    EXPECT_EQ(say(R"({"multipleOf": 2})", "7"), "7 is not a multiple of 2");
    EXPECT_EQ(say(R"({"type": "integer"})", R"("1")"), R"(expected integer, found string "1")");
    EXPECT_EQ(say(R"({"type": ["string", "null"]})", "5"),
              "expected string or null, found integer 5");
    EXPECT_EQ(say(R"({"type": "object"})", "[1]"), "expected object, found array");
    EXPECT_EQ(say(R"({"type": "string"})", "null"), "expected string, found null");
    EXPECT_EQ(say(R"({"enum": [0, 1, 2, 3]})", "7"), "7 is not one of 0, 1, 2, 3");
    EXPECT_EQ(say(R"({"enum": ["a", null]})", R"("b")"), R"("b" is not one of "a", null)");
    EXPECT_EQ(say(R"({"const": "on"})", R"("off")"), R"("off" is not the required value "on")");
    EXPECT_EQ(say(R"({"maxLength": 3})", R"("abcd")"), R"("abcd" is longer than 3 characters)");
    EXPECT_EQ(say(R"({"minLength": 1})", R"("")"), R"("" is shorter than 1 character)");
    EXPECT_EQ(say(R"({"pattern": "^[a-z]+$"})", R"("ab c")"),
              R"("ab c" does not match the pattern "^[a-z]+$")");
}

TEST(EngineMessages, StructureKeywords) {
    EXPECT_EQ(say(R"({"required": ["enginePolicy"]})", "{}"),
              R"(missing required member "enginePolicy")");
    EXPECT_EQ(say(R"({"maxItems": 1})", "[1, 2]"), "array has 2 items, more than the maximum 1");
    EXPECT_EQ(say(R"({"minItems": 2})", "[1]"), "array has 1 item, fewer than the minimum 2");
    EXPECT_EQ(say(R"({"maxProperties": 0})", R"({"a": 1})"),
              "object has 1 member, more than the maximum 0");
    EXPECT_EQ(say(R"({"minProperties": 2})", "{}"),
              "object has 0 members, fewer than the minimum 2");
    EXPECT_EQ(say(R"({"dependencies": {"a": ["b"]}})", R"({"a": 1})"),
              R"(member "b" is required when "a" is present)");
    EXPECT_EQ(say(R"({"contains": {"type": "string"}})", "[1, 2]"),
              R"(no item of the array matches the schema under "contains")");
    EXPECT_EQ(say(R"({"additionalProperties": false})", R"({"x": 1})"),
              R"(member "x" is not allowed)");
    EXPECT_EQ(say(R"({"items": [true], "additionalItems": false})", "[1, 2]"),
              "item 1 is not allowed");
    EXPECT_EQ(say("false", "1"), "no value is allowed here");
    EXPECT_EQ(say(R"({"propertyNames": {"maxLength": 3}})", R"({"long": 1})"),
              R"(member name "long" does not match the schema under "propertyNames")");
}

TEST(EngineMessages, AlternativesGiveOneIssueAtTheirInstance) {
    const json schema = json::parse(R"({"properties": {"v": {"anyOf": [
        {"type": "string"}, {"type": "integer", "minimum": 10}, {"type": "null"}]}}})");
    const ValidationResult none = check(schema, json::parse(R"({"v": 5})"));
    ASSERT_EQ(none.issues.size(), 1u);
    EXPECT_EQ(none.issues[0].message, "5 matches none of the 3 alternatives");
    EXPECT_EQ(none.issues[0].path, "/v");
    EXPECT_EQ(say(R"({"oneOf": [{"type": "integer"}, {"minimum": 0}, {"maximum": 0}]})", "3"),
              "3 matches 2 of the alternatives, exactly one allowed");
    EXPECT_EQ(say(R"({"oneOf": [{"type": "string"}, {"type": "null"}]})", "3"),
              "3 matches none of the 2 alternatives");
    EXPECT_EQ(say(R"({"not": {"type": "integer"}})", "3"),
              R"(3 must not match the schema under "not")");
    // if/then/else: only the branch taken speaks.
    const char* conditional = R"({"if": {"properties": {"kind": {"const": "a"}}},
        "then": {"required": ["x"]}, "else": {"required": ["y"]}})";
    EXPECT_EQ(say(conditional, R"({"kind": "a"})"), R"(missing required member "x")");
    EXPECT_EQ(say(conditional, R"({"kind": "b"})"), R"(missing required member "y")");
}

TEST(EngineMessages, NestedAllOfGivesOneIssuePerViolation) {
    json schema = {{"maximum", 1}};
    for (int i = 0; i < 30; ++i) schema = {{"allOf", {schema}}};
    EXPECT_EQ(onlyMessage(check(schema, 2)), "2 is greater than the maximum 1");
    const ValidationResult two =
        check(json::parse(
                  R"({"allOf": [{"allOf": [{"type": "integer"}]}, {"allOf": [{"minimum": 5}]}]})"),
              "x");
    EXPECT_EQ(messages(two), std::vector<std::string>{R"(expected integer, found string "x")"});
}

TEST(EngineMessages, ValuesAreShortAndEscaped) {
    const std::string tabbed = say(R"({"maxLength": 1})", R"("a\tb\u0001\"")");
    EXPECT_EQ(tabbed, R"("a\tb\u0001\"" is longer than 1 character)");
    const std::string longText(100, 'x');
    const std::string cut = onlyMessage(check({{"maxLength", 3}}, longText));
    EXPECT_EQ(cut, "\"" + std::string(kShortTextLimit - 1, 'x') +
                       "\xE2\x80\xA6 is longer than 3 characters");
    EXPECT_EQ(shortValueText(json::parse(R"({"a": [1, 2], "b": "c"})")), R"({"a":[1,2],"b":"c"})");
    EXPECT_EQ(shortValueText(json(std::string("\xC3\xA9\xFF"))), "\"\xC3\xA9\\xff\"");
    // A cut never splits a UTF-8 sequence.
    std::string accents;
    for (int i = 0; i < 60; ++i) accents += "\xC3\xA9";
    const std::string shown = shortValueText(json(accents), 10);
    EXPECT_EQ(shown, "\"" + accents.substr(0, 18) + "\xE2\x80\xA6");
}

TEST(EngineMessages, PathsAreRfc6901Pointers) {
    const json schema = json::parse(R"({"properties": {
        "a/b": {"type": "string"}, "c~d": {"items": {"type": "string"}}, "": {"type": "null"}}})");
    const ValidationResult result =
        check(schema, json::parse(R"({"a/b": 1, "c~d": ["s", 2], "": 0})"));
    ASSERT_EQ(result.issues.size(), 3u);
    EXPECT_EQ(result.issues[0].path, "/");
    EXPECT_EQ(result.issues[0].pointer, "/");
    EXPECT_EQ(result.issues[1].path, "/a~1b");
    EXPECT_EQ(result.issues[2].path, "/c~0d/1");
    EXPECT_EQ(result.issues[2].pointer, "/c~0d/1");
    for (const Issue& issue : result.issues) {
        EXPECT_EQ(issue.code, "schema");
        EXPECT_EQ(issue.severity, Severity::Error);
    }

    const ValidationResult root = check(json::parse(R"({"type": "object"})"), 1);
    ASSERT_EQ(root.issues.size(), 1u);
    EXPECT_EQ(root.issues[0].path, "/");
    EXPECT_EQ(root.issues[0].pointer, "");
    EXPECT_FALSE(root.ok);
    // Required members are missing from their object: the object's place.
    EXPECT_EQ(paths(check(json::parse(R"({"properties": {"s": {"required": ["x"]}}})"),
                          json::parse(R"({"s": {}})"))),
              std::vector<std::string>{"/s"});
}

TEST(EngineMessages, EveryViolationIsReportedInSchemaOrder) {
    const json schema = json::parse(R"({"type": "object", "required": ["a", "b"],
        "properties": {"c": {"maximum": 1}, "d": {"minLength": 2}}})");
    const ValidationResult result = check(schema, json::parse(R"({"c": 2, "d": "x"})"));
    EXPECT_EQ(messages(result),
              (std::vector<std::string>{
                  R"(missing required member "a")", R"(missing required member "b")",
                  "2 is greater than the maximum 1", R"("x" is shorter than 2 characters)"}));
}

}  // namespace
}  // namespace OrvexConfigValidate
