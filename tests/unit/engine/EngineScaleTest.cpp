// Work and memory stay linear in the document: deep documents, large
// arrays, hostile strings, fan-out bounded by the step budget.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "EngineHarness.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr int kDepth = 1000000;

// Built in place: copying a value this deep would itself recurse.
json deepMembers(int levels, const json& leaf) {
    json root = json::object();
    json* at = &root;
    for (int i = 0; i < levels; ++i) at = &(*at)["child"];
    *at = leaf;
    return root;
}

json deepItems(int levels, const json& leaf) {
    json root = json::array();
    json* at = &root;
    for (int i = 0; i < levels; ++i) {
        at->push_back(json::array());
        at = &at->back();
    }
    at->push_back(leaf);
    return root;
}

std::string childPath(int levels) {
    std::string path;
    for (int i = 0; i < levels; ++i) path += "/child";
    return path;
}

TEST(EngineScale, TreeSchemaOnAMillionLevels) {
    const json schema = json::parse(R"({"type": ["object", "integer"], "maximum": 5,
                                        "properties": {"child": {"$ref": "#"}}})");
    const auto start = Clock::now();
    const json valid = deepMembers(kDepth, 1);
    EXPECT_TRUE(check(schema, valid).issues.empty());
    const json invalid = deepMembers(kDepth, 9);
    const ValidationResult result = check(schema, invalid);
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_EQ(result.issues[0].message, "9 is greater than the maximum 5");
    EXPECT_EQ(result.issues[0].path, childPath(kDepth));
    // Quadratic work at this depth would take hours, even unoptimised.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(300));
}

TEST(EngineScale, ItemsSchemaOnAMillionLevels) {
    const json schema = json::parse(R"({"items": {"$ref": "#"}, "type": ["array", "string"]})");
    EXPECT_TRUE(check(schema, deepItems(kDepth, "leaf")).issues.empty());
    const ValidationResult result = check(schema, deepItems(kDepth, 3));
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_EQ(result.issues[0].message, "expected array or string, found integer 3");
    EXPECT_EQ(result.issues[0].path.size(), 2u * (kDepth + 1));
}

TEST(EngineScale, UniqueItemsGivesOneIssuePerArray) {
    const json schema = {{"uniqueItems", true}};
    const json equal(4000, json{{"a", 1}});
    const ValidationResult result = check(schema, json(equal));
    EXPECT_EQ(messages(result),
              std::vector<std::string>{"items 0 and 1 are equal, but items must be unique"});
    json distinct = json::array();
    for (int i = 0; i < 100000; ++i) distinct.push_back(i);
    distinct.push_back(99999.0);
    EXPECT_EQ(onlyMessage(check(schema, distinct)),
              "items 99999 and 100000 are equal, but items must be unique");
}

TEST(EngineScale, StringLengthCountsCodePoints) {
    const json schema = {{"maxLength", 3}, {"minLength", 3}};
    EXPECT_TRUE(check(schema, std::string("a\0b", 3)).issues.empty());
    EXPECT_TRUE(check(schema, std::string("\xE2\x82\xAC\xC3\xA9x")).issues.empty());
    EXPECT_EQ(check(schema, std::string("\0\0\0\0", 4)).issues.size(), 1u);
    // Long runs of continuation bytes are not characters and read nothing
    // outside the text.
    const std::string runs = "a" + std::string(5000, '\x80') + "b";
    EXPECT_EQ(onlyMessage(check({{"maxLength", 1}}, runs)).substr(0, 6), "\"a\\x80");
    EXPECT_TRUE(check({{"maxLength", 2}, {"minLength", 2}}, runs).issues.empty());
}

TEST(EngineScale, FormatIsAnAnnotation) {
    const json schema = {{"format", "date"}};
    EXPECT_TRUE(check(schema, std::string(30000, '9') + "-01-01").issues.empty());
}

TEST(EngineScale, FanOutStopsAtTheStepBudget) {
    // Each level evaluates the one below twice on the same value: 2^40
    // evaluations, from a schema of 120 subschemas.
    json schema = {{"$ref", "#/definitions/d40"}, {"definitions", {{"d0", {{"type", "integer"}}}}}};
    for (int i = 1; i <= 40; ++i) {
        const json below = {{"$ref", "#/definitions/d" + std::to_string(i - 1)}};
        json level = json::object();
        level["anyOf"] = json::array(
            {json{{"not", below}}, json{{"allOf", json::array({below, json{{"minimum", 100}}})}}});
        schema["definitions"]["d" + std::to_string(i)] = level;
    }
    const auto start = Clock::now();
    const ValidationResult result = check(schema, json::array({1, 2, 3}));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    ASSERT_FALSE(result.issues.empty());
    const Issue& last = result.issues.back();
    EXPECT_EQ(last.code, "schema_engine");
    EXPECT_EQ(last.path, "/");
    EXPECT_NE(last.message.find("needs too much work"), std::string::npos) << last.message;
    EXPECT_FALSE(result.ok);
}

TEST(EngineScale, TheBudgetGrowsWithTheDocument) {
    // Modest fan-out on a large document stays within its budget.
    const json schema = json::parse(R"({"items": {"anyOf": [{"type": "string"},
        {"allOf": [{"type": "integer"}, {"minimum": 0}, {"maximum": 9}]}]}})");
    json document = json::array();
    for (int i = 0; i < 300000; ++i) document.push_back(i % 10);
    EXPECT_TRUE(check(schema, document).issues.empty());
}

}  // namespace
}  // namespace OrvexConfigValidate
