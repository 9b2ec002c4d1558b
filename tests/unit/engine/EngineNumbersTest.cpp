// Numbers are compared exactly across int64, uint64 and double; equality is
// JSON equality.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "EngineHarness.hpp"
#include "engine/JsonEquality.hpp"
#include "engine/JsonNumbers.hpp"
#include "json/Decimal.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

const json kInt64Min = std::numeric_limits<std::int64_t>::min();
const json kInt64Max = std::numeric_limits<std::int64_t>::max();
const json kUint64Max = std::numeric_limits<std::uint64_t>::max();

TEST(EngineNumbers, ComparisonsAreExactAcrossStorage) {
    EXPECT_EQ(compareNumbers(json(1.8e19), json(10)), 1);
    EXPECT_EQ(compareNumbers(json(18000000000000000000u), json(10)), 1);
    EXPECT_EQ(compareNumbers(kUint64Max, kInt64Max), 1);
    EXPECT_EQ(compareNumbers(kInt64Min, json(0u)), -1);
    EXPECT_EQ(compareNumbers(json(1), json(1.0)), 0);
    EXPECT_EQ(compareNumbers(json(-0.0), json(0)), 0);
    // 2^53 + 1 has no double of its own: a double comparison would say equal.
    EXPECT_EQ(compareNumbers(json(9007199254740993), json(9007199254740992.0)), 1);
    EXPECT_EQ(compareNumbers(json(9007199254740992.0), json(9007199254740993)), -1);
    EXPECT_EQ(compareNumbers(json(2.5), json(2)), 1);
    EXPECT_EQ(compareNumbers(json(-2.5), json(-2)), -1);
    EXPECT_EQ(compareNumbers(json(-2.5), json(-3)), 1);
    EXPECT_EQ(compareNumbers(json(1e300), kUint64Max), 1);
    EXPECT_EQ(compareNumbers(json(-1e300), kInt64Min), -1);
    EXPECT_EQ(compareNumbers(json(18446744073709551616.0), kUint64Max), 1);
}

TEST(EngineNumbers, IntegersHaveZeroFractionalPart) {
    EXPECT_TRUE(isIntegralNumber(json(3)));
    EXPECT_TRUE(isIntegralNumber(json(3.0)));
    EXPECT_TRUE(isIntegralNumber(json::parse("1e2")));
    EXPECT_TRUE(isIntegralNumber(kUint64Max));
    EXPECT_FALSE(isIntegralNumber(json(3.5)));
    EXPECT_FALSE(isIntegralNumber(json("3")));
    const json schema = {{"properties", {{"mode", {{"type", "integer"}}}}}};
    EXPECT_TRUE(check(schema, json::parse(R"({"mode": 3.0})")).issues.empty());
    EXPECT_TRUE(check(schema, json::parse(R"({"mode": 1e2})")).issues.empty());
    EXPECT_EQ(onlyMessage(check(schema, json::parse(R"({"mode": 3.5})"))),
              "expected integer, found number 3.5");
}

TEST(EngineNumbers, MaximumHoldsBeyondInt64) {
    const json schema = {{"maximum", 10}};
    EXPECT_EQ(onlyMessage(check(schema, json::parse("18000000000000000000"))),
              "18000000000000000000 is greater than the maximum 10");
    EXPECT_EQ(check(schema, json::parse("1.8e19")).issues.size(), 1u);
    EXPECT_EQ(check({{"minimum", 0}}, kInt64Min).issues.size(), 1u);
    EXPECT_TRUE(check({{"maximum", kUint64Max}}, kUint64Max).issues.empty());
    EXPECT_EQ(check({{"exclusiveMaximum", kUint64Max}}, kUint64Max).issues.size(), 1u);
    EXPECT_EQ(
        check({{"exclusiveMinimum", 9007199254740992.0}}, json(9007199254740992)).issues.size(),
        1u);
    EXPECT_TRUE(
        check({{"exclusiveMinimum", 9007199254740992.0}}, json(9007199254740993)).issues.empty());
}

TEST(EngineNumbers, MultipleOfIsExactDecimalArithmetic) {
    EXPECT_TRUE(isMultipleOf(json(9), json(4.5)));
    EXPECT_FALSE(isMultipleOf(json(8), json(4.5)));
    EXPECT_TRUE(isMultipleOf(kInt64Min, json(2)));
    EXPECT_TRUE(isMultipleOf(kInt64Min, json(1)));
    EXPECT_FALSE(isMultipleOf(kInt64Min, json(3)));
    EXPECT_TRUE(isMultipleOf(kUint64Max, json(5)));
    EXPECT_FALSE(isMultipleOf(kUint64Max, json(2)));
    EXPECT_TRUE(isMultipleOf(kUint64Max, kUint64Max));
    // 2^53 + 1 is odd, although its nearest double is even.
    EXPECT_FALSE(isMultipleOf(json(9007199254740993), json(2)));
    // Decimal divisors are exact, although no double holds 0.01.
    EXPECT_TRUE(isMultipleOf(json(0.0075), json(0.0001)));
    EXPECT_FALSE(isMultipleOf(json(0.00751), json(0.0001)));
    EXPECT_TRUE(isMultipleOf(json(19.99), json(0.01)));
    EXPECT_TRUE(isMultipleOf(json(0.07), json(0.01)));
    EXPECT_TRUE(isMultipleOf(json(-0.07), json(0.01)));
    EXPECT_TRUE(isMultipleOf(json(0.0), json(0.3)));
    EXPECT_TRUE(isMultipleOf(json(4), json(2.0)));
    EXPECT_TRUE(isMultipleOf(json(1e308), json(1e-300)));
    EXPECT_FALSE(isMultipleOf(json(1e300), json(7e299)));
    EXPECT_TRUE(isMultipleOf(json(7e300), json(7e299)));
    EXPECT_FALSE(isMultipleOf(json(1e-300), json(1e-299)));
    EXPECT_FALSE(isMultipleOf(json(1e308), json(0.123456789)));
    // What a relative tolerance of 1e-9 let through.
    EXPECT_FALSE(isMultipleOf(json(1234567890.5), json(1)));
    EXPECT_FALSE(isMultipleOf(json(1.0000000001), json(1)));
    EXPECT_FALSE(isMultipleOf(json(2.5000000001), json(0.5)));
    EXPECT_FALSE(isMultipleOf(json::parse("18446744073709551616"), json(7)));
    EXPECT_FALSE(isMultipleOf(json(1e20), json(3)));
    EXPECT_TRUE(isMultipleOf(json(1e20), json(5)));

    EXPECT_EQ(onlyMessage(check({{"multipleOf", 4.5}}, json(8))), "8 is not a multiple of 4.5");
    EXPECT_EQ(onlyMessage(check({{"multipleOf", 1}}, json(1.0000000001))),
              "1.0000000001 is not a multiple of 1");
    EXPECT_TRUE(check({{"multipleOf", 4.5}}, json(9)).issues.empty());
    EXPECT_TRUE(check({{"multipleOf", 0.01}}, json(0.07)).issues.empty());
    // Strings are not numbers, whatever they hold.
    EXPECT_TRUE(check({{"multipleOf", 2}}, json("3")).issues.empty());
}

Decimal decimal(const std::string& text) {
    Decimal value;
    EXPECT_TRUE(parseDecimal(text, value)) << text;
    return value;
}

TEST(EngineDecimal, ParsingNormalizesTheDigits) {
    const Decimal a = decimal("-12.3400e+2");
    EXPECT_TRUE(a.negative);
    EXPECT_EQ(a.digits, "1234");
    EXPECT_EQ(a.exponent, 0);
    const Decimal b = decimal("1200");
    EXPECT_EQ(b.digits, "12");
    EXPECT_EQ(b.exponent, 2);
    const Decimal c = decimal("0.00120");
    EXPECT_EQ(c.digits, "12");
    EXPECT_EQ(c.exponent, -4);
    const Decimal zero = decimal("-0.000e5");
    EXPECT_TRUE(zero.zero());
    EXPECT_FALSE(zero.negative);
    // Far beyond a double, held at the limit rather than overflowing.
    EXPECT_EQ(decimal("1e-99999999999999999999999").exponent, -kDecimalExponentLimit);
    EXPECT_EQ(decimal("1e99999999999999999999999").exponent, kDecimalExponentLimit);
    Decimal rejected;
    for (const char* text : {"", "-", "01", "1.", ".5", "1e", "1e+", "+1", "1x", "0x10", "1.5e3 "})
        EXPECT_FALSE(parseDecimal(text, rejected)) << text;
}

TEST(EngineDecimal, ComparisonIsExact) {
    const auto compare = [](const char* a, const char* b) {
        return compareDecimals(decimal(a), decimal(b));
    };
    EXPECT_EQ(compare("18446744073709551617", "18446744073709551616"), 1);
    EXPECT_EQ(compare("1.00000000000000000001", "1"), 1);
    EXPECT_EQ(compare("-1.00000000000000000001", "-1"), -1);
    EXPECT_EQ(compare("0.1", "1e-1"), 0);
    EXPECT_EQ(compare("-0", "0.0"), 0);
    EXPECT_EQ(compare("12", "123e-1"), -1);
    EXPECT_EQ(compare("99", "1e2"), -1);
    EXPECT_EQ(compare("-5", "3"), -1);
    EXPECT_EQ(compare("0", "-1e-300"), 1);
    EXPECT_EQ(compare("1e-99999999999999999999999", "0"), 1);
    // A double is its shortest text, never its binary expansion.
    Decimal tenth;
    ASSERT_TRUE(decimalOf(json(0.1), tenth));
    EXPECT_EQ(compareDecimals(tenth, decimal("0.1")), 0);
    // One that holds an integer up to 2^64 is that integer, exactly.
    Decimal bound;
    ASSERT_TRUE(decimalOf(json(18446744073709551616.0), bound));
    EXPECT_EQ(compareDecimals(bound, decimal("18446744073709551616")), 0);
    ASSERT_TRUE(decimalOf(json(-9007199254740994.0), bound));
    EXPECT_EQ(compareDecimals(bound, decimal("-9007199254740994")), 0);
    // Beyond, the shortest text: 1e300 as written, not its binary expansion.
    ASSERT_TRUE(decimalOf(json(1e300), bound));
    EXPECT_EQ(compareDecimals(bound, decimal("1e300")), 0);
    EXPECT_FALSE(decimalOf(json(std::numeric_limits<double>::infinity()), tenth));
    EXPECT_FALSE(decimalOf(json("1"), tenth));
}

Decimal divisor(const std::string& mantissa, int exponent) {
    return decimal(mantissa + "e" + std::to_string(exponent));
}

TEST(EngineDecimal, MultiplesOfLongWrittenNumbers) {
    // 10^4000 + 7 is odd; 10^4000 * 3 is a multiple of 3 and of 2^4000.
    const Decimal odd = decimal("1" + std::string(3999, '0') + "7");
    EXPECT_FALSE(isMultipleOf(odd, divisor("2", 0)));
    EXPECT_TRUE(isMultipleOf(odd, divisor("1", 0)));
    const Decimal big = decimal("3e4000");
    EXPECT_TRUE(isMultipleOf(big, divisor("3", 0)));
    // Divisors up to 2^64 - 1: the remainder arithmetic needs 128 bits.
    EXPECT_TRUE(isMultipleOf(big, divisor("9223372036854775808", 0)));
    EXPECT_FALSE(isMultipleOf(big, divisor("18446744073709551615", 0)));  // has the factor 17
    EXPECT_TRUE(isMultipleOf(decimal("36893488147419103230"), divisor("18446744073709551615", 0)));
    EXPECT_FALSE(isMultipleOf(big, divisor("7", 0)));
    EXPECT_TRUE(isMultipleOf(decimal("1e-300"), divisor("1", -300)));
    EXPECT_FALSE(isMultipleOf(decimal("1e-301"), divisor("1", -300)));
    EXPECT_TRUE(isMultipleOf(decimal("1e999999999999999999"), divisor("5", 0)));
    EXPECT_FALSE(isMultipleOf(decimal("1e999999999999999999"), divisor("3", 0)));
    EXPECT_FALSE(isMultipleOf(decimal("5"), divisor("0", 0)));
    EXPECT_FALSE(isMultipleOf(decimal("5"), decimal("-5")));
    // 2^64 itself is a divisor nlohmann can hold (as a double).
    EXPECT_TRUE(isMultipleOf(decimal("36893488147419103232"), decimal("18446744073709551616")));
    EXPECT_FALSE(isMultipleOf(decimal("36893488147419103231"), decimal("18446744073709551616")));
}

// An enum of integers is looked up as integers; the same enum with one value
// that is no integer (and that no instance here equals) takes the general
// comparison. Both must judge every instance alike.
TEST(EngineEquality, IntegerEnumsJudgeAsTheGeneralComparison) {
    const std::vector<json> enums = {
        json::array({0, 1, 2, 3}),
        json::array({-3, 7, kInt64Max, kInt64Min}),
        json::array({5u, 9223372036854775807u}),
        json::array({1, 1, -1}),
    };
    const std::vector<json> instances = {0,
                                         1,
                                         2,
                                         3,
                                         4,
                                         -3,
                                         -1,
                                         7,
                                         1.0,
                                         7.0,
                                         2.5,
                                         kInt64Max,
                                         kInt64Min,
                                         kUint64Max,
                                         5u,
                                         "1",
                                         nullptr,
                                         true,
                                         json::array({1}),
                                         9223372036854775807.0,
                                         -9223372036854775808.0};
    for (const json& allowed : enums) {
        json general = allowed;
        general.push_back("not a number");
        const SchemaCompilation integers = compileJson({{"enum", allowed}});
        const SchemaCompilation compared = compileJson({{"enum", general}});
        ASSERT_TRUE(integers.schema && compared.schema);
        for (const json& instance : instances) {
            EXPECT_EQ(evaluateJson(*integers.schema, instance).ok,
                      evaluateJson(*compared.schema, instance).ok)
                << instance.dump() << " in " << allowed.dump();
        }
    }
    // Enough of them are members for the lookup to be tried.
    EXPECT_TRUE(check({{"enum", enums[1]}}, kInt64Min).ok);
    EXPECT_FALSE(check({{"enum", enums[2]}}, kUint64Max).ok);
    EXPECT_TRUE(check({{"enum", enums[0]}}, 1.0).ok);
}

TEST(EngineEquality, NumbersByValueObjectsByMembers) {
    EXPECT_TRUE(jsonEqual(json(1), json(1.0)));
    EXPECT_TRUE(jsonEqual(json::parse(R"({"a": [1, {"b": 2.0}], "c": null})"),
                          json::parse(R"({"c": null, "a": [1.0, {"b": 2}]})")));
    EXPECT_FALSE(jsonEqual(json::parse("[1, 2]"), json::parse("[2, 1]")));
    EXPECT_FALSE(jsonEqual(json::parse(R"({"a": 1})"), json::parse(R"({"a": 1, "b": 1})")));
    EXPECT_FALSE(jsonEqual(json(true), json(1)));
    EXPECT_FALSE(jsonEqual(json(1), json::array({1})));
    EXPECT_FALSE(jsonEqual(json::object({{"a", 1}}), json("a")));
    EXPECT_TRUE(jsonEqual(json(nullptr), json(nullptr)));
    EXPECT_TRUE(jsonEqual(json("\xC3\xA9"), json("\xC3\xA9")));
    EXPECT_FALSE(jsonEqual(json("a"), json("ab")));
    EXPECT_FALSE(jsonEqual(json(0), json(false)));
    EXPECT_FALSE(jsonEqual(json(9007199254740993), json(9007199254740992.0)));
    EXPECT_EQ(jsonHash(json(1)), jsonHash(json(1.0)));
    EXPECT_EQ(jsonHash(json(5u)), jsonHash(json(5)));
    EXPECT_EQ(jsonHash(json::parse(R"({"a": [1]})")), jsonHash(json::parse(R"({"a": [1.0]})")));

    EXPECT_TRUE(check({{"enum", {0, 1, 2}}}, json(1.0)).issues.empty());
    EXPECT_TRUE(check({{"const", 1.0}}, json(1)).issues.empty());
    EXPECT_EQ(onlyMessage(check({{"uniqueItems", true}}, json::parse("[1, 2, 1.0]"))),
              "items 0 and 2 are equal, but items must be unique");
}

// Built in place: copying a value this deep would itself recurse.
json deepArrays(int levels, int innermost) {
    json deep = json::array();
    json* at = &deep;
    for (int i = 0; i < levels; ++i) {
        at->push_back(json::array());
        at = &(*at)[0];
    }
    at->push_back(innermost);
    return deep;
}

TEST(EngineEquality, DeepValuesNeedNoRecursion) {
    json pair = json::array({deepArrays(0, 0), deepArrays(0, 0)});
    pair[0] = deepArrays(300000, 1);
    pair[1] = deepArrays(300000, 1);
    EXPECT_TRUE(jsonEqual(pair[0], pair[1]));
    EXPECT_EQ(jsonHash(pair[0]), jsonHash(pair[1]));
    EXPECT_EQ(onlyMessage(check({{"uniqueItems", true}}, pair)),
              "items 0 and 1 are equal, but items must be unique");
    pair[1] = deepArrays(300000, 2);
    EXPECT_FALSE(jsonEqual(pair[0], pair[1]));
    EXPECT_TRUE(check({{"uniqueItems", true}}, pair).issues.empty());
    const std::string message = onlyMessage(check({{"enum", {1, json::array({2})}}}, pair[0]));
    EXPECT_EQ(message.rfind("[[[[", 0), 0u) << message;
    EXPECT_NE(message.find("\xE2\x80\xA6 is not one of 1, [2]"), std::string::npos) << message;
}

}  // namespace
}  // namespace OrvexConfigValidate
