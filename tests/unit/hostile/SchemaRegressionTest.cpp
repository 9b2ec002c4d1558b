// Replacement schemas and documents that used to crash, hang, blow up or be
// judged wrongly by the schema stage, each through the public validate().
#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <limits>
#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "SchemaIssues.hpp"
#include "TempSchemaDir.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;
// Processor time of this process, so that a busy machine does not count.
struct Clock {
    static double now() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }
};

// Seconds; generous: these used to take tens of seconds or never end, and
// sanitizer builds are slow.
constexpr double kQuick = 10.0;

// Validates against a replacement of "NetworkAddress" (no semantic rules).
class Replacement {
  public:
    explicit Replacement(const json& schema) {
        dir.write("NetworkAddress.schema.json", schema.dump());
        options.schemaDir = dir.path();
    }
    std::vector<Issue> issues(const json& document) const {
        return schemaIssues("NetworkAddress", document, options);
    }

  private:
    TempSchemaDir dir;
    ValidateOptions options;
};

std::size_t countCode(const std::vector<Issue>& issues, const std::string& code) {
    std::size_t n = 0;
    for (const Issue& issue : issues) n += issue.code == code ? 1 : 0;
    return n;
}

TEST(SchemaRegression, LongStringUnderAlternationPatternDoesNotCrash) {
    const Replacement schema(json{{"pattern", "^(a|b)*$"}});
    std::string text(200000, 'a');
    EXPECT_TRUE(schema.issues(text).empty());
    text.back() = 'c';
    EXPECT_EQ(countCode(schema.issues(text), "schema"), 1u);
}

TEST(SchemaRegression, NestedQuantifierPatternIsLinear) {
    const Replacement schema(json{{"pattern", "^(a+)+$"}});
    const auto started = Clock::now();
    const auto issues = schema.issues(std::string(31, 'a') + "!");
    EXPECT_LT(Clock::now() - started, kQuick);
    EXPECT_EQ(countCode(issues, "schema"), 1u) << describe(issues);
}

TEST(SchemaRegression, PatternBeyondTheRegexEngineIsOneEngineIssue) {
    const Replacement schema(json{{"pattern", "^(a)\\1$"}});
    const auto issues = schema.issues("aa");
    ASSERT_EQ(issues.size(), 1u) << describe(issues);
    EXPECT_EQ(issues[0].code, "schema_engine");
    EXPECT_NE(issues[0].message.find("(a)"), std::string::npos) << issues[0].message;
    EXPECT_NE(issues[0].message.find("back-reference"), std::string::npos) << issues[0].message;
}

TEST(SchemaRegression, HugeYearUnderDateFormatIsOnlyAnAnnotation) {
    const Replacement schema(json{{"format", "date"}});
    EXPECT_TRUE(schema.issues(std::string(30000, '9') + "-01-01").empty());
}

TEST(SchemaRegression, MultipleOfZeroOrNegativeIsASchemaErrorNotASignal) {
    for (const json& divisor : {json(0), json(-1), json(0.0), json(-2.5)}) {
        const Replacement schema(json{{"multipleOf", divisor}});
        for (const json& value : {json(7), json(std::numeric_limits<std::int64_t>::min())}) {
            const auto issues = schema.issues(value);
            ASSERT_EQ(issues.size(), 1u) << divisor << " " << describe(issues);
            EXPECT_EQ(issues[0].code, "schema_engine");
            EXPECT_EQ(issues[0].path, "/");
        }
    }
}

TEST(SchemaRegression, MultipleOfIsExactAndOnlyForNumbers) {
    const Replacement schema(json{{"multipleOf", 4.5}});
    EXPECT_TRUE(schema.issues(9).empty());
    EXPECT_TRUE(schema.issues(13.5).empty());
    EXPECT_EQ(countCode(schema.issues(4), "schema"), 1u);
    EXPECT_EQ(countCode(schema.issues(8), "schema"), 1u);
    EXPECT_TRUE(schema.issues("4").empty());
}

TEST(SchemaRegression, ReferenceFanOutIsBounded) {
    // Each level refers twice to the next: 2^40 paths without a bound.
    json definitions = json::object();
    for (int i = 0; i < 40; ++i) {
        const std::string next = "#/definitions/d" + std::to_string(i + 1);
        definitions["d" + std::to_string(i)] = {
            {"anyOf", {{{"$ref", next}, {"minimum", 1000}}, {{"$ref", next}}}}};
    }
    definitions["d40"] = {{"type", "string"}};
    const Replacement schema(json{{"$ref", "#/definitions/d0"}, {"definitions", definitions}});
    const auto started = Clock::now();
    const auto issues = schema.issues(5);
    EXPECT_LT(Clock::now() - started, kQuick);
    // 5 is not a string: either judged invalid, or given up on, never valid.
    ASSERT_EQ(issues.size(), 1u) << describe(issues);
    EXPECT_TRUE(issues[0].code == "schema" || issues[0].code == "schema_engine") << issues[0].code;
}

json deepChildren(int depth, const json& leaf) {
    json value = leaf;
    for (int i = 0; i < depth; ++i) {
        json outer = json::object();
        outer["child"] = std::move(value);
        value = std::move(outer);
    }
    return value;
}

TEST(SchemaRegression, TreeSchemaOnADeepDocumentIsLinear) {
    const Replacement schema(
        json{{"type", "object"}, {"properties", {{"child", {{"$ref", "#"}}}}}});
    const int depth = 100000;
    const auto started = Clock::now();
    EXPECT_TRUE(schema.issues(deepChildren(depth, json::object())).empty());
    const auto issues = schema.issues(deepChildren(depth, 1));
    EXPECT_LT(Clock::now() - started, kQuick);
    ASSERT_EQ(issues.size(), 1u);
    EXPECT_EQ(issues[0].pointer.size(), 6u * depth);  // "/child" per level
    EXPECT_EQ(issues[0].path, issues[0].pointer);
}

TEST(SchemaRegression, EqualItemsGiveOneUniqueItemsIssue) {
    const Replacement schema(json{{"uniqueItems", true}});
    const auto issues = schema.issues(json(std::vector<int>(4000, 7)));
    ASSERT_EQ(issues.size(), 1u);
    EXPECT_EQ(issues[0].path, "/");
    // JSON equality: 1 and 1.0 are the same item.
    EXPECT_EQ(schema.issues(json::parse("[1, 2, 1.0]")).size(), 1u);
    EXPECT_TRUE(schema.issues(json::parse("[1, \"1\", [1], {\"a\": 1}]")).empty());
}

TEST(SchemaRegression, SelfReferenceByALongerRelativePathIsLoadedOnce) {
    // No "$id": each round would name common/common/... without end.
    const Replacement schema(
        json{{"type", "object"},
             {"required", {"v"}},
             {"properties", {{"child", {{"$ref", "common/NetworkAddress.schema.json"}}}}}});
    const auto started = Clock::now();
    const json good = {{"v", 1}, {"child", {{"v", 2}, {"child", {{"v", 3}}}}}};
    EXPECT_TRUE(schema.issues(good).empty());
    const auto issues = schema.issues(json{{"v", 1}, {"child", {{"child", {{"v", 3}}}}}});
    EXPECT_LT(Clock::now() - started, kQuick);
    ASSERT_EQ(issues.size(), 1u) << describe(issues);
    EXPECT_EQ(issues[0].path, "/child");
}

TEST(SchemaRegression, ManyCallsOnOneDirectoryDoNotRecompile) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", R"({"type": "object", "required": ["id"]})");
    ValidateOptions options;
    options.schemaDir = dir.path();
    const json bridging = {{"groups", {{{"id", "g"}, {"type", 1}}}}};
    const auto started = Clock::now();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(schemaIssues("BridgingConfiguration", bridging, options).empty());
    }
    // Reading and compiling every time took 13 s for this.
    EXPECT_LT(Clock::now() - started, kQuick);
}

TEST(SchemaRegression, IntegersBeyondInt64AreCompared) {
    const Replacement schema(json{{"maximum", 10}});
    const json huge = json::parse("18000000000000000000");
    ASSERT_TRUE(huge.is_number_unsigned());
    EXPECT_EQ(countCode(schema.issues(huge), "schema"), 1u);
    const Replacement atLeast(json{{"minimum", 18000000000000000000ULL}});
    EXPECT_TRUE(atLeast.issues(huge).empty());
    EXPECT_EQ(countCode(atLeast.issues(std::numeric_limits<std::int64_t>::max()), "schema"), 1u);
}

TEST(SchemaRegression, PointerToTheEmptyMemberName) {
    const Replacement schema(json{{"definitions", {{"", {{"type", "integer"}}}}},
                                  {"properties", {{"a", {{"$ref", "#/definitions/"}}}}}});
    EXPECT_TRUE(schema.issues(json{{"a", 1}}).empty());
    const auto issues = schema.issues(json{{"a", "x"}});
    ASSERT_EQ(issues.size(), 1u) << describe(issues);
    EXPECT_EQ(issues[0].code, "schema");
    EXPECT_EQ(issues[0].path, "/a");
}

TEST(SchemaRegression, WholeFloatsAreIntegers) {
    const json server = {{"enginePolicy", json::object()}, {"mode", 3.0}};
    EXPECT_TRUE(schemaIssues("BridgingServerConfiguration", server).empty());
    EXPECT_TRUE(schemaIssues("BridgingServerConfiguration",
                             json::parse(R"({"enginePolicy": {}, "mode": 1e0})"))
                    .empty());
    EXPECT_FALSE(schemaIssues("BridgingServerConfiguration",
                              json{{"enginePolicy", json::object()}, {"mode", 2.5}})
                     .empty());
}

TEST(SchemaRegression, StringLengthCountsCodePointsAndNul) {
    const Replacement schema(json{{"maxLength", 2}});
    EXPECT_EQ(countCode(schema.issues(std::string("a\0b", 3)), "schema"), 1u);
    EXPECT_TRUE(schema.issues("\xC3\xA9\xC3\xA9").empty());  // two code points, four bytes
    // Malformed UTF-8: a result, whatever the count, and no read outside.
    for (const std::string& text :
         {std::string(9, '\x80'), std::string("\xF4\x8F\xBF"), std::string("a\xFF\xFE")}) {
        for (const Issue& issue : schema.issues(text)) EXPECT_EQ(issue.code, "schema");
    }
}

TEST(SchemaRegression, NestedAllOfGivesOneIssue) {
    json schema = {{"maximum", 1}};
    for (int i = 0; i < 6; ++i) schema = json{{"allOf", {schema}}};
    const Replacement replacement(schema);
    const auto issues = replacement.issues(5);
    ASSERT_EQ(issues.size(), 1u) << describe(issues);
    EXPECT_EQ(issues[0].code, "schema");
}

}  // namespace
}  // namespace OrvexConfigValidate
