// ECMA-262 patterns on RE2.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <re2/re2.h>

#include "EngineHarness.hpp"
#include "engine/EcmaRegex.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

bool matches(const std::string& pattern, const std::string& text) {
    const EcmaRegexCompilation compiled = compileEcmaRegex(pattern);
    if (!compiled.regex) {
        ADD_FAILURE() << pattern << ": " << compiled.error;
        return false;
    }
    return ecmaRegexSearch(*compiled.regex, text);
}

TEST(EngineRegex, EcmaClassesAndEscapes) {
    EXPECT_TRUE(matches("^\\d+$", "0123456789"));
    EXPECT_FALSE(matches("^\\d$", "\xDF\xA0"));  // NKO digit zero: not ASCII
    EXPECT_FALSE(matches("^\\w$", "\xC3\xA9"));
    EXPECT_TRUE(matches("^\\s$", "\xC2\xA0"));      // no-break space
    EXPECT_TRUE(matches("^\\s$", "\xE2\x80\xA8"));  // line separator
    EXPECT_TRUE(matches("^\\s$", "\xEF\xBB\xBF"));  // byte order mark
    EXPECT_TRUE(matches("^[\\s]$", "\x0B"));
    EXPECT_FALSE(matches("^\\S$", "\xE3\x80\x80"));  // ideographic space
    EXPECT_TRUE(matches("^\\u00e9$", "\xC3\xA9"));
    EXPECT_TRUE(matches("^[\\u0061-\\u0063]+$", "abc"));
    EXPECT_TRUE(matches("^\\uD83D\\uDE00$", "\xF0\x9F\x98\x80"));  // a surrogate pair
    EXPECT_TRUE(matches("^\\x41$", "A"));
    EXPECT_TRUE(matches("^\\cJ$", "\n"));
    EXPECT_TRUE(matches("^\\/$", "/"));
    EXPECT_TRUE(matches("^[\\b]$", "\b"));
    EXPECT_TRUE(matches("^[[:a]+$", "[:a"));  // no POSIX classes in ECMA
    EXPECT_TRUE(matches("^(?<year>\\d{4})$", "2024"));
}

TEST(EngineRegex, DotAnchorsAndEmptyClasses) {
    EXPECT_FALSE(matches("^.$", "\n"));
    EXPECT_FALSE(matches("^.$", "\r"));
    EXPECT_FALSE(matches("^.$", "\xE2\x80\xA9"));
    EXPECT_TRUE(matches("^.$", "\xC3\xA9"));  // one code point, two bytes
    EXPECT_FALSE(matches("^abc$", "abc\n"));
    EXPECT_TRUE(matches("^[^]$", "\n"));
    EXPECT_FALSE(matches("[]", "anything"));
    // Searched anywhere, as ECMA `test` does.
    EXPECT_TRUE(matches("b", "abc"));
    EXPECT_FALSE(matches("^b", "abc"));
}

TEST(EngineRegex, UnsupportedConstructsAreNamed) {
    std::string translated;
    std::string error;
    EXPECT_FALSE(translateEcmaRegex("(a)\\1", translated, error));
    EXPECT_EQ(error, "back-references are not supported");
    EXPECT_FALSE(translateEcmaRegex("a(?!b)", translated, error));
    EXPECT_EQ(error, "look-ahead is not supported");
    EXPECT_FALSE(translateEcmaRegex("(?<=a)b", translated, error));
    EXPECT_EQ(error, "look-behind is not supported");
    EXPECT_FALSE(translateEcmaRegex("a\\", translated, error));
    EXPECT_FALSE(translateEcmaRegex("\\uD800", translated, error));
    EXPECT_TRUE(translateEcmaRegex("a(?:b)c", translated, error)) << error;
}

TEST(EngineRegex, NegatedSetsInsideClasses) {
    // The common idiom for any character at all, line terminators included.
    EXPECT_TRUE(matches("^[\\s\\S]+$", "a\n\xE2\x80\xA8 \xF0\x9F\x98\x80"));
    EXPECT_TRUE(matches("^[\\S]+$", "ab\xC3\xA9"));
    EXPECT_FALSE(matches("^[\\S]+$", "a b"));
    EXPECT_FALSE(matches("^[\\S]$", "\xC2\xA0"));  // no-break space
    EXPECT_FALSE(matches("^[\\S]$", "\x0B"));
    EXPECT_TRUE(matches("^[^\\S]+$", " \t\xE3\x80\x80\xEF\xBB\xBF"));
    EXPECT_FALSE(matches("^[^\\S]$", "a"));
    EXPECT_TRUE(matches("^[\\W]+$", "-\xC3\xA9"));
    EXPECT_FALSE(matches("^[\\W]$", "_"));
    EXPECT_TRUE(matches("^[\\D]+$", "a-"));
    EXPECT_FALSE(matches("^[\\D]$", "5"));
    EXPECT_TRUE(matches("^[^\\D]$", "5"));
    EXPECT_TRUE(matches("^[\\S\\d]$", "7"));
}

TEST(EngineRegex, ClassRangesAndLiterals) {
    // Beside a set, "-" is itself.
    EXPECT_TRUE(matches("^[\\d-z]+$", "1-z"));
    EXPECT_FALSE(matches("^[\\d-z]$", "a"));
    EXPECT_TRUE(matches("^[a-]+$", "a-"));
    EXPECT_TRUE(matches("^[\\]\\\\^-]+$", "]\\^-"));
    EXPECT_TRUE(matches("^[\xC3\xA0-\xC3\xBC]$", "\xC3\xA9"));  // a range of two-byte letters
    EXPECT_FALSE(matches("^[\xC3\xA0-\xC3\xBC]$", "\xC3\xBD"));
    EXPECT_TRUE(matches("^[\\x41-\\u0043]+$", "ABC"));
    EXPECT_TRUE(matches("^[\\cJ]$", "\n"));
    EXPECT_TRUE(matches("^[\\c_]$", "\x1F"));
    EXPECT_TRUE(matches("^[\\c]+$", "\\c"));
    std::string translated;
    std::string error;
    EXPECT_FALSE(translateEcmaRegex("[b-a]", translated, error));
    EXPECT_NE(error.find("out of order"), std::string::npos) << error;
    EXPECT_FALSE(translateEcmaRegex("[a", translated, error));
    EXPECT_EQ(error, "a character class is not closed");
}

TEST(EngineRegex, SurrogatesAreNoCodePoints) {
    // Excluding only surrogates excludes no character of UTF-8 text.
    EXPECT_TRUE(matches("^[^\\uD800-\\uDFFF]+$", "a\xC3\xA9\xF0\x9F\x98\x80\xEF\xBF\xBF\n"));
    EXPECT_FALSE(matches("[\\uD800-\\uDFFF]", "a\xF0\x9F\x98\x80"));
    // A range that reaches into them keeps its other characters.
    EXPECT_TRUE(matches("^[\\uD000-\\uDFFF]$", "\xED\x80\x80"));     // U+D000
    EXPECT_TRUE(matches("^[\\uDC00-\\uE000]$", "\xEE\x80\x80"));     // U+E000
    EXPECT_TRUE(matches("^[\\uD83D\\uDE00]$", "\xF0\x9F\x98\x80"));  // a pair is one character
}

TEST(EngineRegex, PropertyEscapesNeedTheUnicodeFlag) {
    // Without the u flag ECMA reads "\\p" as "p".
    EXPECT_TRUE(matches("^\\pL$", "pL"));
    EXPECT_FALSE(matches("^\\pL$", "a"));
    EXPECT_TRUE(matches("^\\P{L}$", "P{L}"));
    EXPECT_TRUE(matches("^[\\p]$", "p"));
}

TEST(EngineRegex, RepeatsPastTheEngineLimitSaySo) {
    EXPECT_TRUE(matches("^a{1000}$", std::string(1000, 'a')));
    for (const char* pattern : {"a{1001}", "(\\w{1,100}\\.){1,100}"}) {
        const EcmaRegexCompilation compiled = compileEcmaRegex(pattern);
        EXPECT_EQ(compiled.regex, nullptr) << pattern;
        EXPECT_NE(compiled.error.find("limit of 1000 repetitions"), std::string::npos)
            << compiled.error;
    }
    EXPECT_EQ(compileEcmaRegex("a{2,1}").error,
              "the counted repeat {2,1} has its bounds out of order");
    // A class of 768 separate characters, repeated: too large a program.
    std::string scattered = "[";
    for (unsigned c = 0x100; c < 0x700; c += 2) {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\u%04X", c);
        scattered += escape;
    }
    const EcmaRegexCompilation large = compileEcmaRegex(scattered + "]{1000}");
    ASSERT_EQ(large.regex, nullptr);
    EXPECT_NE(large.error.find("MiB of memory"), std::string::npos) << large.error;
}

// Both once crashed or hung a backtracking matcher.
TEST(EngineRegex, HostilePatternsRunInLinearTime) {
    const json alternation = {{"pattern", "^(a|b)*$"}};
    EXPECT_TRUE(check(alternation, std::string(200000, 'a')).issues.empty());
    EXPECT_EQ(check(alternation, std::string(200000, 'a') + "c").issues.size(), 1u);

    const auto start = std::chrono::steady_clock::now();
    const json nested = {{"pattern", "^(a+)+$"}};
    EXPECT_EQ(check(nested, std::string(31, 'a') + "!").issues.size(), 1u);
    EXPECT_EQ(check(nested, std::string(100000, 'a') + "!").issues.size(), 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(EngineRegex, PatternPropertiesUseTheSameTranslation) {
    const json schema = json::parse(R"({"patternProperties": {"^\\d+$": {"type": "integer"}},
                                        "additionalProperties": {"type": "string"}})");
    EXPECT_TRUE(check(schema, json::parse(R"({"12": 1, "x": "s"})")).issues.empty());
    EXPECT_EQ(paths(check(schema, json::parse(R"({"12": "1", "x": 2})"))),
              (std::vector<std::string>{"/12", "/x"}));
}

}  // namespace
}  // namespace OrvexConfigValidate
