// Schemas and documents that made the engine work for many seconds or
// gigabytes while its step budget saw little of it. Every kind of work now
// counts against one budget; each case goes through the public validate()
// with the hostile schema written as a replacement file.
#include <gtest/gtest.h>

#include <ctime>
#include <set>
#include <string>
#include <tuple>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "TempSchemaDir.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

// Processor seconds of this process. The bound is generous for sanitizer
// builds; each input used to take tens of seconds in an optimised one.
double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}
constexpr double kQuick = 8.0;

class Hostile {
  public:
    explicit Hostile(const json& schema, bool strict = false) {
        dir.write("NetworkAddress.schema.json", schema.dump());
        options.schemaDir = dir.path();
        options.strict = strict;
    }
    // Validates and records the processor time the call took.
    ValidationResult run(const json& document) {
        const double started = cpuSeconds();
        ValidationResult result = validate("NetworkAddress", document, options);
        seconds = cpuSeconds() - started;
        return result;
    }
    double seconds = 0;

  private:
    TempSchemaDir dir;
    ValidateOptions options;
};

std::size_t countCode(const ValidationResult& result, const std::string& code) {
    std::size_t n = 0;
    for (const Issue& issue : result.issues) n += issue.code == code ? 1 : 0;
    return n;
}

bool stoppedByBudget(const ValidationResult& result) {
    std::size_t stops = 0;
    for (const Issue& issue : result.issues)
        if (issue.code == "schema_engine" &&
            issue.message.find("needs too much work") != std::string::npos)
            ++stops;
    return stops == 1 && !result.ok;
}

std::size_t textBytes(const ValidationResult& result) {
    std::size_t bytes = 0;
    for (const Issue& issue : result.issues)
        bytes +=
            issue.path.size() + issue.pointer.size() + issue.message.size() + issue.hint.size();
    return bytes;
}

bool allDistinct(const ValidationResult& result) {
    std::set<std::tuple<std::string, std::string, std::string>> seen;
    for (const Issue& issue : result.issues)
        if (!seen.emplace(issue.code, issue.pointer, issue.message).second) return false;
    return true;
}

// definitions d0..dN where each level applies the one below twice to the
// same value: 2^N paths reach d0.
json doubling(int levels, const json& bottom) {
    json schema = {{"$ref", "#/definitions/d" + std::to_string(levels)},
                   {"definitions", {{"d0", bottom}}}};
    for (int i = 1; i <= levels; ++i) {
        const json below = {{"$ref", "#/definitions/d" + std::to_string(i - 1)}};
        schema["definitions"]["d" + std::to_string(i)] = {{"allOf", json::array({below, below})}};
    }
    return schema;
}

TEST(WorkBudget, IssueTextOfADeepTreeStaysLinear) {
    // One error per level, each with a pointer as long as its depth.
    Hostile tree(
        json::parse(R"({"properties": {"child": {"$ref": "#"}, "x": {"type": "string"}}})"));
    constexpr int kDepth = 18000;  // about 320 KB of text
    json document = {{"x", 1}};
    for (int i = 0; i < kDepth; ++i) document = json{{"x", 1}, {"child", std::move(document)}};
    const ValidationResult result = tree.run(document);
    EXPECT_LT(tree.seconds, kQuick);
    EXPECT_FALSE(result.ok);
    EXPECT_GT(countCode(result, "schema"), 10u);
    // Listing every level would take 3.5 GB of pointers.
    EXPECT_LT(textBytes(result), std::size_t{256} << 20);
    EXPECT_TRUE(stoppedByBudget(result));
}

TEST(WorkBudget, OneViolationReachedByManyPathsIsReportedOnce) {
    Hostile few(doubling(3, json{{"type", "string"}}));
    const ValidationResult eight = few.run(json(1));
    ASSERT_EQ(eight.issues.size(), 1u);
    EXPECT_EQ(eight.issues[0].code, "schema");

    // 2^40 paths from a 3 KB schema to a 1-byte document.
    Hostile many(doubling(40, json{{"properties", {{"a", {{"type", "string"}}}}}}));
    const ValidationResult result = many.run(json{{"a", 1}, {"b", json::array({0, 0, 0, 0})}});
    EXPECT_LT(many.seconds, kQuick);
    EXPECT_EQ(countCode(result, "schema"), 1u);
    EXPECT_TRUE(stoppedByBudget(result));
    EXPECT_TRUE(allDistinct(result));
}

TEST(WorkBudget, InertPaddingDoesNotBuyWork) {
    // Fan-out of 2^40 beside 10,000 unused subschemas, on a document padded
    // with 100,000 values that no keyword reads.
    json schema = doubling(40, json{{"minimum", 100}});
    schema["allOf"] = json::array({{{"$ref", schema["$ref"]}}});
    schema.erase("$ref");  // which would hide the properties
    for (int i = 0; i < 10000; ++i) schema["properties"]["p" + std::to_string(i)] = json::object();
    Hostile padded(schema);
    json document = {{"p0", 1}};
    document["zeros"] = std::vector<int>(100000, 0);
    const ValidationResult result = padded.run(document);
    EXPECT_LT(padded.seconds, kQuick);
    EXPECT_TRUE(stoppedByBudget(result));
}

TEST(WorkBudget, EnumComparisonsCostTheirSize) {
    constexpr int kSize = 500;
    json alternatives = json::array();
    for (int a = 0; a < kSize; ++a) {
        std::vector<int> items(kSize, 0);
        items.back() = a + 1;
        alternatives.push_back(items);
    }
    Hostile schema(json{{"items", {{"enum", alternatives}}}});
    // Each item matches no alternative but in its last value.
    const json item(std::vector<int>(kSize, 0));
    const ValidationResult one = schema.run(json::array({item}));
    EXPECT_EQ(countCode(one, "schema"), 1u);
    EXPECT_FALSE(stoppedByBudget(one));
    const ValidationResult result = schema.run(json(std::vector<json>(kSize, item)));
    EXPECT_LT(schema.seconds, kQuick);
    EXPECT_TRUE(stoppedByBudget(result));
}

TEST(WorkBudget, UniqueItemsOnADeepNestingIsLinear) {
    Hostile schema(json::parse(R"({"items": {"$ref": "#"}, "uniqueItems": true})"));
    const auto nested = [] {
        json value = json::array();
        for (int i = 0; i < 100000; ++i) {  // 200 KB
            json outer = json::array();
            outer.push_back(std::move(value));
            value = std::move(outer);
        }
        return value;
    };
    const ValidationResult result = schema.run(nested());
    EXPECT_LT(schema.seconds, kQuick);
    EXPECT_TRUE(result.issues.empty()) << result.issues.front().message;
    // Equal items deep down are still found.
    json twins = json::array({nested(), nested()});
    const ValidationResult equal = schema.run(twins);
    ASSERT_EQ(countCode(equal, "schema"), 1u);
    EXPECT_NE(equal.issues[0].message.find("items 0 and 1 are equal"), std::string::npos);
    // Items alike in all the values a hash looks at are still told apart.
    std::vector<int> long1(200), long2(200);
    for (int i = 0; i < 200; ++i) long1[i] = long2[i] = i;
    long2.back() = 1000;
    EXPECT_TRUE(schema.run(json::array({long1, long2, long1[0]})).ok);
    const ValidationResult repeated = schema.run(json::array({long1, long2, long1}));
    ASSERT_EQ(countCode(repeated, "schema"), 1u);
    EXPECT_NE(repeated.issues[0].message.find("items 0 and 2 are equal"), std::string::npos);
}

TEST(WorkBudget, StrictHintsAreCounted) {
    // 600 declared names and 40,000 unknown members, each close in length
    // to every declared name.
    json properties = json::object();
    for (int i = 0; i < 600; ++i) properties["declared_name_" + std::to_string(1000 + i)] = true;
    Hostile schema(json{{"properties", properties}}, true);
    json document = json::object();
    for (int i = 0; i < 40000; ++i) document["unknown_member" + std::to_string(10000 + i)] = 0;
    const ValidationResult result = schema.run(document);
    EXPECT_LT(schema.seconds, kQuick);
    EXPECT_TRUE(stoppedByBudget(result));
    EXPECT_GT(countCode(result, "unknown_member"), 0u);

    const ValidationResult typo = schema.run(json{{"declared_nam_1000", 0}});
    ASSERT_EQ(countCode(typo, "unknown_member"), 1u);
    EXPECT_EQ(typo.issues[0].hint, "did you mean \"declared_name_1000\"?");
}

TEST(WorkBudget, CompilingManyEntriesThatShareNamersIsLinear) {
    // 6,000 member schemas, each reaching the same 6,000 subschemas that
    // name members: 36 M steps to list them all for each.
    json all = json::array();
    json schema = json::object();
    for (int i = 0; i < 6000; ++i) {
        const std::string name = "n" + std::to_string(i);
        schema["definitions"][name] = {{"properties", {{name, true}}}};
        all.push_back({{"$ref", "#/definitions/" + name}});
        schema["properties"]["m" + std::to_string(i)] = {
            {"allOf", json::array({{{"$ref", "#/definitions/all"}}})}};
    }
    schema["definitions"]["all"] = {{"allOf", all}};
    Hostile plain(schema);
    EXPECT_TRUE(plain.run(json::object()).issues.empty());
    EXPECT_LT(plain.seconds, kQuick);
    Hostile strict(schema, true);
    const ValidationResult result = strict.run(json{{"m1", {{"n5", 1}, {"n5x", 1}}}});
    EXPECT_LT(strict.seconds, kQuick);
    ASSERT_EQ(countCode(result, "unknown_member"), 1u) << result.issues.front().message;
    EXPECT_EQ(result.issues[0].pointer, "/m1/n5x");
}

TEST(WorkBudget, PatternsThatDoNotMatchAreCounted) {
    json patterns = json::object();
    for (int i = 0; i < 2000; ++i) patterns["^p" + std::to_string(i) + "$"] = true;
    Hostile schema(json{{"patternProperties", patterns}, {"additionalProperties", false}});
    EXPECT_FALSE(schema.run(json{{"p1999", 0}, {"q", 0}}).ok);
    json document = json::object();
    for (int i = 0; i < 20000; ++i) document["member" + std::to_string(i)] = 0;
    const ValidationResult result = schema.run(document);
    EXPECT_LT(schema.seconds, kQuick);
    EXPECT_TRUE(stoppedByBudget(result));
}

bool compileStopped(const ValidationResult& result) {
    return result.issues.size() == 1 && result.issues[0].code == "schema_engine" &&
           result.issues[0].message.find("too much work to compile") != std::string::npos;
}

TEST(WorkBudget, ReferencesUnderALongBaseAreCounted) {
    // Every subschema used to keep its own copy of the 400 KB base, and
    // every reference resolved against it: 8 GB.
    json schema = {{"$id", "http://example.com/" + std::string(400000, 'a')},
                   {"definitions", {{"x", json::object()}}}};
    for (int i = 0; i < 20000; ++i)
        schema["properties"]["p" + std::to_string(i)] = {{"$ref", "#/definitions/x"}};
    Hostile hostile(schema);
    const ValidationResult result = hostile.run(json{{"p1", 1}});
    EXPECT_LT(hostile.seconds, kQuick);
    EXPECT_TRUE(compileStopped(result)) << result.issues.front().message;
    // A long base with a few references still compiles.
    schema["properties"] = {{"p", {{"$ref", "#/definitions/x"}}}, {"q", {{"type", "string"}}}};
    Hostile few(schema);
    const ValidationResult fine = few.run(json{{"p", 1}, {"q", 2}});
    ASSERT_EQ(fine.issues.size(), 1u);
    EXPECT_EQ(fine.issues[0].pointer, "/q");
}

TEST(WorkBudget, CompilingLargePatternsIsCounted) {
    // Each of these takes RE2 milliseconds to compile.
    json patterns = json::object();
    for (int i = 0; i < 2000; ++i) patterns["[a-z]{1,999}" + std::to_string(i)] = true;
    Hostile hostile(json{{"patternProperties", patterns}});
    const ValidationResult result = hostile.run(json::object());
    EXPECT_LT(hostile.seconds, kQuick);
    EXPECT_TRUE(compileStopped(result)) << result.issues.front().message;
}

TEST(WorkBudget, SearchesAreChargedForTheRegexSize) {
    // RE2 cannot keep this pattern as a DFA and simulates all its 2,000
    // instructions on every byte: seconds per string.
    Hostile hostile(json{{"items", {{"pattern", "[a-z]{1,999}x"}}}});
    EXPECT_FALSE(hostile.run(json::array({"0123456789"})).ok);
    EXPECT_TRUE(hostile.run(json::array({"abcx"})).ok);
    const ValidationResult result =
        hostile.run(json(std::vector<std::string>(10, std::string(100000, 'a'))));
    EXPECT_LT(hostile.seconds, kQuick);
    EXPECT_TRUE(stoppedByBudget(result));
}

}  // namespace
}  // namespace OrvexConfigValidate
