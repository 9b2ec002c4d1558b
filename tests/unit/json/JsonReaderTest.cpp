#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate {
namespace {

using Json = nlohmann::json;

// Equal values of equal JSON types all the way down (5 and 5u differ here).
bool sameValue(const Json& a, const Json& b) {
    if (a.type() != b.type()) return false;
    if (a.is_object()) {
        if (a.size() != b.size()) return false;
        for (auto it = a.begin(), jt = b.begin(); it != a.end(); ++it, ++jt) {
            if (it.key() != jt.key() || !sameValue(*it, *jt)) return false;
        }
        return true;
    }
    if (a.is_array()) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (!sameValue(a[i], b[i])) return false;
        }
        return true;
    }
    return a == b;
}

// Texts of every JSON shape, with whitespace, escapes and number forms.
class TextMaker {
  public:
    explicit TextMaker(unsigned seed) : random_(seed) {}

    std::string value(int depth) {
        switch (pick(depth > 3 ? 6 : 8)) {
            case 0:
                return "null";
            case 1:
                return pick(2) ? "true" : "false";
            case 2:
            case 3:
                return number();
            case 4:
            case 5:
                return string();
            case 6: {
                std::string out = "[" + space();
                const int count = pick(4);
                for (int i = 0; i < count; ++i) {
                    out += (i ? "," + space() : "") + value(depth + 1) + space();
                }
                return out + "]";
            }
            default: {
                std::string out = "{" + space();
                const int count = pick(4);
                for (int i = 0; i < count; ++i) {
                    // Few distinct names, so duplicates occur.
                    out += (i ? "," + space() : "") + string(true) + space() + ":" + space() +
                           value(depth + 1) + space();
                }
                return out + "}";
            }
        }
    }

    std::string mutate(std::string text) {
        if (text.empty()) return "x";
        const std::size_t at = static_cast<std::size_t>(pick(static_cast<int>(text.size())));
        static const char* const kBytes[] = {"\"",   ",",    "]",    "}", "\\", "0", "-", ".", "e",
                                             "\x01", "\xC3", "\xFF", " ", "\n", "/", "t", "\0"};
        switch (pick(4)) {
            case 0:
                return text.substr(0, at);
            case 1:
                return text.erase(at, 1);
            case 2:
                return text.insert(
                    at, std::string(kBytes[pick(17)], pick(17) == 16 ? 1 : 0) + kBytes[pick(16)]);
            default:
                text[at] = kBytes[pick(16)][0];
                return text;
        }
    }

  private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    std::string space() {
        static const char* const kSpaces[] = {"", "", " ", "\n", "\t", "\r\n  "};
        return kSpaces[pick(6)];
    }

    std::string number() {
        static const char* const kNumbers[] = {"0",
                                               "-0",
                                               "1",
                                               "42",
                                               "-17",
                                               "9223372036854775807",
                                               "-9223372036854775808",
                                               "9223372036854775808",
                                               "-9223372036854775809",
                                               "18446744073709551615",
                                               "18446744073709551616",
                                               "1.5",
                                               "-0.0",
                                               "1e3",
                                               "1E-3",
                                               "2.5e+10",
                                               "1e308",
                                               "1e-400",
                                               "123456789012345678901234",
                                               "0.1",
                                               "3.141592653589793"};
        return kNumbers[pick(21)];
    }

    std::string string(bool name = false) {
        static const char* const kNames[] = {"\"a\"", "\"b\"", "\"port\"", "\"\""};
        if (name && pick(2)) return kNames[pick(4)];
        static const char* const kParts[] = {"x",
                                             "\\n",
                                             "\\\"",
                                             "\\\\",
                                             "\\/",
                                             "\\u00e9",
                                             "\\ud83d\\ude00",
                                             "\xC3\xA9",
                                             "\xE2\x80\x94",
                                             "\xF0\x9F\x93\xA1",
                                             "\\u0000",
                                             "\\b\\f\\r\\t",
                                             " "};
        std::string out = "\"";
        const int count = pick(5);
        for (int i = 0; i < count; ++i) out += kParts[pick(13)];
        return out + "\"";
    }

    std::mt19937 random_;
};

TEST(JsonReader, AgreesWithNlohmannOnGeneratedAndMutatedTexts) {
    TextMaker maker(20261209);
    int accepted = 0;
    int rejected = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text = maker.value(0);
        if (round % 2 == 1) text = maker.mutate(text);
        if (round % 7 == 0) text = "\xEF\xBB\xBF" + text;
        bool nlohmannAccepts = true;
        Json expected;
        try {
            expected = Json::parse(text.begin(), text.end(), nullptr, true, false);
        } catch (const Json::exception&) {
            nlohmannAccepts = false;
        }
        const ParsedText parsed = parseText(text);
        ASSERT_EQ(parsed.ok(), nlohmannAccepts) << "text: " << text;
        if (parsed.ok()) {
            ++accepted;
            EXPECT_TRUE(sameValue(parsed.toJson(), expected))
                << "text: " << text << "\nours: " << parsed.toJson().dump()
                << "\nnlohmann: " << expected.dump();
        } else {
            ++rejected;
            ASSERT_EQ(parsed.issues().size(), 1u);
            EXPECT_EQ(parsed.issues()[0].code, "parse_error");
            EXPECT_TRUE(parsed.issues()[0].location.known());
            EXPECT_LE(parsed.issues()[0].location.offset, text.size());
        }
    }
    // Both kinds must have been exercised in earnest.
    EXPECT_GT(accepted, 1500);
    EXPECT_GT(rejected, 500);
}

TEST(JsonReader, NumbersTakeTheTypesNlohmannGives) {
    EXPECT_TRUE(parseText("5").toJson().is_number_unsigned());
    EXPECT_TRUE(parseText("-5").toJson().is_number_integer());
    EXPECT_FALSE(parseText("-5").toJson().is_number_unsigned());
    EXPECT_EQ(parseText("-9223372036854775808").toJson().get<std::int64_t>(), INT64_MIN);
    EXPECT_EQ(parseText("18446744073709551615").toJson().get<std::uint64_t>(), UINT64_MAX);
    EXPECT_TRUE(parseText("18446744073709551616").toJson().is_number_float());
    EXPECT_TRUE(parseText("-9223372036854775809").toJson().is_number_float());
    EXPECT_TRUE(parseText("1.0").toJson().is_number_float());
    EXPECT_FALSE(parseText("1e400").ok());
    EXPECT_TRUE(parseText("1e-400").ok());
}

struct Rejected {
    std::string text;
    std::size_t line;
    std::size_t column;
    std::string message;
};

TEST(JsonReader, ErrorsSayWhatWasExpectedAndFoundWhere) {
    const std::vector<Rejected> cases = {
        {"", 1, 1,
         "expected a value (object, array, string, number, true, false or null), "
         "found the end of the text"},
        {"{\n  // note\n}", 2, 3, "expected a member name in double quotes, found '/'"},
        {"{\"a\": 1,\n}", 2, 1, "expected a member name in double quotes, found '}'"},
        {"[1 2]", 1, 4, "expected ',' or ']' after an array element, found '2'"},
        {"{\"a\" 1}", 1, 6, "expected ':' after the member name, found '1'"},
        {"{\"a\": 1 \"b\"}", 1, 9, "expected ',' or '}' after an object member, found '\"'"},
        {"{} {}", 1, 4, "expected the end of the text after the value, found '{'"},
        {std::string("{}\0garbage", 10), 1, 3,
         "expected the end of the text after the value, found byte 0x00"},
        {"\"caf\xE9\"", 1, 5, "expected UTF-8 text in a string, found byte 0xe9"},
        {"\"a\nb\"", 1, 3,
         "expected a character or '\"' in a string (control bytes must be escaped), found byte "
         "0x0a"},
        {"\"abc", 1, 5, "expected '\"' to close the string, found the end of the text"},
        {"\"\\x\"", 1, 3,
         "expected an escape (\\\", \\\\, \\/, \\b, \\f, \\n, \\r, \\t or \\u) after '\\', found "
         "'x'"},
        {"\"\\u12G4\"", 1, 6, "expected four hexadecimal digits after '\\u', found 'G'"},
        {"\"\\udc00\"", 1, 2,
         "expected a high surrogate (\\uD800-\\uDBFF) before a low surrogate, found '\\'"},
        {"\"\\ud800x\"", 1, 8,
         "expected '\\u' and a low surrogate after a high surrogate, found 'x'"},
        {"-x", 1, 2, "expected a digit after '-', found 'x'"},
        {"1.e5", 1, 3, "expected a digit after the decimal point, found 'e'"},
        {"1e+", 1, 4, "expected a digit in the exponent, found the end of the text"},
        {"[1e999]", 1, 2, "expected a number within the range of a double, found '1'"},
        {"tru", 1, 4, "expected 'true', found the end of the text"},
        {"\xEF\xBB\xBF  }", 1, 3,
         "expected a value (object, array, string, number, true, false or null), found '}'"},
        {"\xEF\xBB", 1, 1,
         "expected a value (object, array, string, number, true, false or null), found byte "
         "0xef"},
        {"\r\n\r\n  nul", 3, 6, "expected 'null', found the end of the text"},
    };
    for (const auto& rejected : cases) {
        const ParsedText parsed = parseText(rejected.text);
        ASSERT_FALSE(parsed.ok()) << rejected.text;
        ASSERT_EQ(parsed.issues().size(), 1u);
        const Issue& issue = parsed.issues()[0];
        EXPECT_EQ(issue.code, "parse_error");
        EXPECT_EQ(issue.severity, Severity::Error);
        EXPECT_EQ(issue.message, rejected.message) << rejected.text;
        EXPECT_EQ(issue.location.line, rejected.line) << rejected.text;
        EXPECT_EQ(issue.location.column, rejected.column) << rejected.text;
        EXPECT_TRUE(parsed.toJson().is_null());
    }
}

TEST(JsonReader, ByteOrderMarkIsSkippedAndNotAColumn) {
    const ParsedText parsed = parseText("\xEF\xBB\xBF{\"a\": 1}");
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.toJson(), Json({{"a", 1}}));
    EXPECT_EQ(parsed.locate("").column, 1u);
    EXPECT_EQ(parsed.locate("").offset, 3u);
    EXPECT_EQ(parsed.locate("/a").column, 7u);
}

TEST(JsonReader, MillionNestedArraysNeedNoRecursion) {
    const std::size_t depth = 1000000;
    std::string text(depth, '[');
    text.append(depth, ']');
    const ParsedText parsed = parseText(text);
    ASSERT_TRUE(parsed.ok());
    std::string pointer;
    for (int i = 0; i < 5; ++i) pointer += "/0";
    EXPECT_EQ(parsed.locate(pointer).offset, 5u);
    EXPECT_EQ(parsed.locate(pointer).length, 2 * (depth - 5));

    // Unclosed, it fails at the end rather than crashing.
    const ParsedText open = parseText(std::string(depth, '['));
    ASSERT_FALSE(open.ok());
    EXPECT_EQ(open.issues()[0].location.offset, depth);
}

TEST(JsonReader, DuplicateMembersWarnAndKeepTheLaterValue) {
    const std::string text =
        "{\n  \"port\": 1,\n  \"x\": {\"port\": 2},\n  \"port\": 3,\n"
        "  \"port\": {\"deep\": [4]}\n}";
    const ParsedText parsed = parseText(text);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.toJson()["port"], Json({{"deep", {4}}}));
    EXPECT_EQ(parsed.toJson(), Json::parse(text));
    ASSERT_EQ(parsed.issues().size(), 2u);
    for (const Issue& issue : parsed.issues()) {
        EXPECT_EQ(issue.code, "duplicate_key");
        EXPECT_EQ(issue.severity, Severity::Warning);
        EXPECT_EQ(issue.pointer, "/port");
        EXPECT_EQ(issue.message,
                  "member \"port\" is also set at line 2; the later value is the one used");
        EXPECT_EQ(issue.related.line, 2u);
        EXPECT_EQ(issue.related.column, 3u);
    }
    EXPECT_EQ(parsed.issues()[0].location.line, 4u);
    EXPECT_EQ(parsed.issues()[0].location.column, 3u);
    EXPECT_EQ(parsed.issues()[1].location.line, 5u);
    // The place of the member is that of the value kept.
    EXPECT_EQ(parsed.locate("/port").line, 5u);
    EXPECT_EQ(parsed.locate("/port/deep/0").column, 21u);
}

TEST(JsonReader, DuplicatesInsideArraysAndNestedObjectsGetTheirPointers) {
    const ParsedText parsed =
        parseText(R"({"groups": [{"id": "a"}, {"id": "b", "t/x": 1, "t/x": 2, "id": "c"}]})");
    ASSERT_TRUE(parsed.ok());
    ASSERT_EQ(parsed.issues().size(), 2u);
    EXPECT_EQ(parsed.issues()[0].pointer, "/groups/1/t~1x");
    EXPECT_EQ(parsed.issues()[1].pointer, "/groups/1/id");
    EXPECT_EQ(parsed.toJson()["groups"][1]["id"], "c");
}

// A duplicate at every level of a deep text: listing every pointer would
// take bytes quadratic in the text, so they are listed up to a budget linear
// in it and the rest counted in one last warning.
TEST(JsonReader, DeeplyNestedDuplicatesCostBytesLinearInTheText) {
    constexpr std::size_t kDepth = 30000;
    std::string text;
    for (std::size_t k = 0; k < kDepth; ++k) text += "{\"a\":0,\"a\":";
    text += "0" + std::string(kDepth, '}');
    const ParsedText parsed = parseText(text);
    ASSERT_TRUE(parsed.ok());
    const auto& issues = parsed.issues();
    ASSERT_GT(issues.size(), 100u);
    ASSERT_LT(issues.size(), kDepth);
    std::size_t pointerBytes = 0;
    for (std::size_t k = 0; k + 1 < issues.size(); ++k) {
        EXPECT_EQ(issues[k].pointer, issues[k].path);
        EXPECT_EQ(issues[k].pointer.size(), 2 * (k + 1));
        pointerBytes += issues[k].pointer.size();
    }
    EXPECT_LE(pointerBytes, 4 * text.size() + (std::size_t{1} << 20));
    const Issue& rest = issues.back();
    EXPECT_EQ(rest.code, "duplicate_key");
    EXPECT_EQ(rest.pointer, "");
    EXPECT_EQ(rest.message, std::to_string(kDepth - (issues.size() - 1)) +
                                " more members are written twice from here on; they are not "
                                "listed, as their pointers would outgrow the text");
    // It sits at the first member it does not list.
    EXPECT_EQ(rest.location.offset, 11 * (issues.size() - 1) + 7);
}

TEST(JsonReader, AReplacedMemberTakesItsOwnDuplicatesAlong) {
    // The first "groups" holds a duplicate of its own, and is then replaced
    // whole: every warning still names its own member and place.
    const std::string text =
        "{\n  \"groups\": [{\"type\": 3,\n    \"type\": 3}],\n"
        "  \"groups\": [{\"rx\": {\"port\": 1, \"port\": 2}}]\n}";
    const ParsedText parsed = parseText(text);
    ASSERT_TRUE(parsed.ok());
    ASSERT_EQ(parsed.issues().size(), 3u);
    EXPECT_EQ(parsed.issues()[0].pointer, "/groups/0/type");
    EXPECT_EQ(parsed.issues()[0].message,
              "member \"type\" is also set at line 2; the later value is the one used");
    EXPECT_EQ(parsed.issues()[1].pointer, "/groups");
    EXPECT_EQ(parsed.issues()[1].location.line, 4u);
    EXPECT_EQ(parsed.issues()[2].pointer, "/groups/0/rx/port");
    EXPECT_EQ(parsed.issues()[2].related.column, 22u);
    // The replaced text names nothing in the document any more.
    EXPECT_EQ(parsed.pointerAt(text.find("\"type\"")), "/groups");
    EXPECT_EQ(parsed.pointerAt(text.find("\"port\"")), "/groups/0/rx/port");
    EXPECT_EQ(parsed.locate("/groups/0/rx").line, 4u);
}

}  // namespace
}  // namespace OrvexConfigValidate
