// ECMA-262 patterns on RE2.
#include <gtest/gtest.h>

#include <chrono>
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
