// Numbers judged as written and ECMA patterns that RE2 once refused, each
// through the public validate() and validateText() with a replacement schema.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "SchemaIssues.hpp"
#include "TempSchemaDir.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

double processSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Validates against a replacement of "NetworkAddress" (no semantic rules),
// as a value and as a text.
class Replacement {
  public:
    explicit Replacement(const std::string& schemaText) {
        dir.write("NetworkAddress.schema.json", schemaText);
        options.schemaDir = dir.path();
    }
    std::vector<Issue> issues(const json& document) const {
        return schemaIssues("NetworkAddress", document, options);
    }
    std::vector<Issue> textIssues(const std::string& text) const {
        return schemaStageIssues(validateText("NetworkAddress", text, options));
    }

  private:
    TempSchemaDir dir;
    ValidateOptions options;
};

std::string onlySchemaMessage(const std::vector<Issue>& issues) {
    if (issues.size() != 1 || issues[0].code != "schema") {
        ADD_FAILURE() << "expected one schema issue:\n" << describe(issues);
        return "";
    }
    return issues[0].message;
}

TEST(NumberRegression, MultipleOfIsExactDecimalArithmetic) {
    const Replacement one(R"({"multipleOf": 1})");
    for (const char* text : {"1234567890.5", "1.0000000001"}) {
        EXPECT_EQ(one.issues(json::parse(text)).size(), 1u) << text;
        EXPECT_EQ(onlySchemaMessage(one.textIssues(text)),
                  std::string(text) + " is not a multiple of 1");
    }
    // Only the text knows: the double of this one is exactly 1.
    EXPECT_EQ(onlySchemaMessage(one.textIssues("1.00000000000000000000001")),
              "1.00000000000000000000001 is not a multiple of 1");
    EXPECT_TRUE(one.textIssues("1.000000000000000000000000e3").empty());

    const Replacement half(R"({"multipleOf": 0.5})");
    EXPECT_EQ(half.issues(2.5000000001).size(), 1u);
    EXPECT_EQ(half.textIssues("2.5000000001").size(), 1u);
    EXPECT_TRUE(half.textIssues("-7.5").empty());

    const Replacement seven(R"({"multipleOf": 7})");
    EXPECT_EQ(seven.issues(json::parse("18446744073709551616")).size(), 1u);
    EXPECT_EQ(onlySchemaMessage(seven.textIssues("18446744073709551616")),
              "18446744073709551616 is not a multiple of 7");
    EXPECT_TRUE(
        seven.textIssues("18446744073709551621").empty());  // 2^64 + 5 = 7 × 2635249153387078803

    const Replacement three(R"({"multipleOf": 3})");
    EXPECT_EQ(three.issues(1e20).size(), 1u);
    EXPECT_EQ(three.textIssues("1e20").size(), 1u);
    EXPECT_TRUE(three.textIssues("3e20").empty());

    const Replacement cents(R"({"multipleOf": 0.01})");
    EXPECT_TRUE(cents.issues(0.07).empty());
    EXPECT_TRUE(cents.textIssues("0.07").empty());
    EXPECT_TRUE(cents.textIssues("19.99").empty());
    EXPECT_EQ(cents.textIssues("0.071").size(), 1u);
}

TEST(NumberRegression, MultipleOfCostStaysBoundedForExtremeNumbers) {
    const double started = processSeconds();
    const Replacement tiny(R"({"multipleOf": 1e-300})");
    EXPECT_TRUE(tiny.issues(1e308).empty());
    EXPECT_TRUE(tiny.textIssues("1e308").empty());
    EXPECT_EQ(tiny.textIssues("1e-301").size(), 1u);
    EXPECT_EQ(tiny.textIssues("1e-99999999999999999999").size(), 1u);
    const Replacement huge(R"({"multipleOf": 1e300})");
    EXPECT_TRUE(huge.textIssues("1e308").empty());
    EXPECT_EQ(huge.textIssues("1e299").size(), 1u);
    // 200,000 written digits under 100 divisors.
    json divisors = json::array();
    for (int i = 1; i <= 100; ++i) divisors.push_back({{"multipleOf", i * 0.37}});
    const Replacement many(json{{"allOf", divisors}}.dump());
    const std::string longNumber = "1." + std::string(200000, '0') + "1";
    EXPECT_EQ(many.textIssues(longNumber).size(), 100u);
    EXPECT_LT(processSeconds() - started, 10.0);
}

TEST(NumberRegression, LargeIntegersAreComparedAndShownAsWritten) {
    const Replacement maximum(R"({"maximum": 18446744073709551616})");
    EXPECT_TRUE(maximum.textIssues("18446744073709551616").empty());
    EXPECT_EQ(onlySchemaMessage(maximum.textIssues("18446744073709551617")),
              "18446744073709551617 is greater than the maximum 18446744073709551616");
    EXPECT_EQ(maximum.textIssues("18446744073709551616.000000001").size(), 1u);
    EXPECT_TRUE(maximum.textIssues("18446744073709551615.999999999").empty());

    const Replacement exclusive(R"({"exclusiveMinimum": -18446744073709551616})");
    EXPECT_EQ(exclusive.textIssues("-18446744073709551616.0").size(), 1u);
    EXPECT_TRUE(exclusive.textIssues("-18446744073709551615.9").empty());

    const Replacement string(R"({"type": "string"})");
    EXPECT_EQ(onlySchemaMessage(string.textIssues("123456789012345678901234567890")),
              "expected string, found integer 123456789012345678901234567890");
    // Cut like any long value, never copied whole into a message.
    const std::string digits = "7." + std::string(100000, '7');
    const std::string message = onlySchemaMessage(string.textIssues(digits));
    EXPECT_EQ(message.rfind("expected string, found number 7.777", 0), 0u) << message;
    EXPECT_LT(message.size(), 100u);
}

TEST(NumberRegression, WrittenNumbersDecideTypeAndEquality) {
    const Replacement integer(R"({"type": "integer"})");
    EXPECT_EQ(onlySchemaMessage(integer.textIssues("1.00000000000000000001")),
              "expected integer, found number 1.00000000000000000001");
    EXPECT_TRUE(integer.textIssues("1.00000000000000000000e2").empty());

    const Replacement choices(R"({"enum": [18446744073709551616, 0.1]})");
    EXPECT_TRUE(choices.textIssues("18446744073709551616").empty());
    EXPECT_TRUE(choices.textIssues("0.1").empty());
    EXPECT_EQ(choices.textIssues("18446744073709551617").size(), 1u);
    EXPECT_EQ(choices.textIssues("0.10000000000000000001").size(), 1u);

    const Replacement unique(R"({"uniqueItems": true})");
    EXPECT_TRUE(unique.textIssues("[18446744073709551617, 18446744073709551616]").empty());
    // Both doubles are 0; as written they differ.
    EXPECT_TRUE(unique.textIssues("[1e-400, 2e-400]").empty());
    EXPECT_EQ(unique.textIssues("[18446744073709551617, 1.8446744073709551617e19]").size(), 1u);
}

TEST(NumberRegression, ReplacedMembersAndNestedValuesKeepTheirOwnText) {
    const Replacement schema(R"({"additionalProperties": {"maximum": 1},
                                 "items": {"maximum": 1}})");
    // The later "a" is the one the document holds; its double equals the
    // earlier one's, so only the text tells them apart.
    EXPECT_TRUE(schema.textIssues(R"({"a": 1.00000000000000000001, "a": 1.0})").empty());
    EXPECT_EQ(onlySchemaMessage(schema.textIssues(R"({"a": 1.0, "a": 1.00000000000000000001})")),
              "1.00000000000000000001 is greater than the maximum 1");
    EXPECT_TRUE(schema.textIssues(R"({"a": [1.00000000000000000001], "a": 1})").empty());
    // Elements of arrays that grew after them.
    std::string items = "[";
    for (int i = 0; i < 1000; ++i) items += i % 2 == 0 ? "1.0000000000000000000001," : "1,";
    items += "0]";
    const std::vector<Issue> issues = schema.textIssues(items);
    ASSERT_EQ(issues.size(), 500u);
    EXPECT_EQ(issues[1].pointer, "/2");
}

TEST(NumberRegression, ThePairReadsBothTextsAsWritten) {
    TempSchemaDir dir;
    dir.write("Obs.schema.json", R"({"properties": {
        "server": {"properties": {"limit": {"maximum": 18446744073709551616}}},
        "bridges": {"maximum": 1}}})");
    ValidateOptions options;
    options.schemaDir = dir.path();
    const std::vector<Issue> issues = schemaStageIssues(
        validateTextPair(R"({"limit": 18446744073709551617})", "1.00000000000000000001", options));
    ASSERT_EQ(issues.size(), 2u) << describe(issues);
    for (const Issue& issue : issues) {
        if (issue.source == 0) {
            EXPECT_EQ(issue.message,
                      "18446744073709551617 is greater than the maximum 18446744073709551616");
            EXPECT_EQ(issue.pointer, "/limit");
        } else {
            // A bare number: its document moved into the envelope.
            EXPECT_EQ(issue.message, "1.00000000000000000001 is greater than the maximum 1");
            EXPECT_EQ(issue.pointer, "");
        }
    }
    EXPECT_NE(issues[0].source, issues[1].source);
}

TEST(PatternRegression, EcmaClassesAreTranslated) {
    const struct {
        const char* pattern;
        const char* good;
        const char* bad;
    } cases[] = {
        {"^[\\\\s\\\\S]{2}$", "a\\n", "abc"},
        {"^[\\\\S]+$", "ab", "a b"},
        {"^[^\\\\S]+$", " \\t", "a"},
        {"^[\\\\W]$", "-", "a"},
        {"^[\\\\D]$", "a", "1"},
        {"^[^\\\\uD800-\\\\uDFFF]+$", "a\\u00e9\\ud83d\\ude00", ""},
        {"^\\\\pL$", "pL", "a"},
    };
    for (const auto& c : cases) {
        const Replacement schema(std::string(R"({"pattern": ")") + c.pattern + "\"}");
        const std::vector<Issue> good = schema.textIssues(std::string("\"") + c.good + "\"");
        EXPECT_TRUE(good.empty()) << c.pattern << "\n" << describe(good);
        const std::vector<Issue> bad = schema.textIssues(std::string("\"") + c.bad + "\"");
        ASSERT_EQ(bad.size(), 1u) << c.pattern << "\n" << describe(bad);
        EXPECT_EQ(bad[0].code, "schema") << c.pattern;
    }
}

TEST(PatternRegression, RepeatsPastTheEngineLimitNameIt) {
    for (const std::string pattern : {"a{1001}", "(\\\\w{1,100}\\\\.){1,100}"}) {
        const Replacement schema(R"({"pattern": ")" + pattern + "\"}");
        const std::vector<Issue> issues = schema.issues("a");
        ASSERT_EQ(issues.size(), 1u) << describe(issues);
        EXPECT_EQ(issues[0].code, "schema_engine");
        EXPECT_NE(issues[0].message.find("limit of 1000 repetitions"), std::string::npos)
            << issues[0].message;
        // Named as the schema spells it, backslashes escaped.
        EXPECT_NE(issues[0].message.find(pattern), std::string::npos) << issues[0].message;
    }
}

}  // namespace
}  // namespace OrvexConfigValidate
