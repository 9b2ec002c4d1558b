#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/JsonWriter.hpp>

namespace OrvexConfigValidate {
namespace {

// What the program printed before the writer, for the same value.
std::string dumped(const nlohmann::ordered_json& value, int indent = -1) {
    return value.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

TEST(JsonWriter, StringsAreEscapedAsADumpEscapesThem) {
    const char controls[] = "nul \0 bell \x07 esc \x1B del \x7F";
    struct Case {
        std::string text;
        std::string expected;  // "" where only the dump's text is asserted
    };
    const std::vector<Case> cases = {
        {"", R"("")"},
        {"quote \" backslash \\ slash /", R"("quote \" backslash \\ slash /")"},
        {std::string(controls, sizeof controls - 1), R"("nul \u0000 bell \u0007 esc \u001b del )"
                                                     "\x7F\""},
        {"\b\f\n\r\t\x1F", R"("\b\f\n\r\t\u001f")"},
        // é — 😀 and U+FFFD itself are kept as they are.
        {"\xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80\xEF\xBF\xBD",
         "\"\xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80\xEF\xBF\xBD\""},
        // Ill-formed: a lone continuation, an overlong form, a surrogate, a
        // cut sequence, past U+10FFFF; each stands as one U+FFFD per maximal
        // part, as the dump replaces it.
        {"\x80", "\"\xEF\xBF\xBD\""},
        {"\xC0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xED\xA0\x80", ""},
        {"a\xE2\x80", "\"a\xEF\xBF\xBD\""},
        {"\xF4\x90\x80\x80", ""},
        {"\xF0\x9F\x98\"", ""},
    };
    for (const Case& c : cases) {
        const std::string written = jsonString(c.text);
        EXPECT_EQ(written, dumped(c.text)) << c.text;
        if (!c.expected.empty()) {
            EXPECT_EQ(written, c.expected) << c.text;
        }
    }
    // Every byte alone, and bytes drawn mostly from the UTF-8 lead and
    // continuation ranges, where replacement decisions are made.
    for (int b = 0; b < 256; ++b) {
        const std::string text = "<" + std::string(1, static_cast<char>(b)) + ">";
        EXPECT_EQ(jsonString(text), dumped(text)) << b;
    }
    std::uint32_t state = 12345;
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (int i = 0; i < 12; ++i) {
            state = state * 1664525u + 1013904223u;
            const std::uint32_t pick = state >> 24;
            text += static_cast<char>(pick < 64 ? pick : 0x80 + (pick & 0x7F));
        }
        ASSERT_EQ(jsonString(text), dumped(text)) << round;
    }
}

TEST(JsonWriter, ValuesComeOutCompactAndIndentedAsADumpLaysThemOut) {
    const std::vector<nlohmann::ordered_json> values = {
        nlohmann::ordered_json::object(),
        nlohmann::ordered_json::array(),
        nullptr,
        "text\n",
        nlohmann::ordered_json::parse(R"({"b": 1, "a": [true, false, null, {}, []],
            "c": {"d": {"e": [-7, 0.1, 1e300, 2.5e-8, 18446744073709551615]}},
            "k\"y": "v\u0001"})"),
        nlohmann::ordered_json::parse(R"([[[]], [{}], [1, [2, [3]]], {"x": {"y": {}}}])"),
        std::numeric_limits<std::int64_t>::min(),
    };
    for (const auto& value : values) {
        EXPECT_EQ(jsonText(value), dumped(value));
        EXPECT_EQ(jsonText(value, 2), dumped(value, 2));
        EXPECT_EQ(jsonText(value, 4), dumped(value, 4));
        EXPECT_EQ(jsonText(nlohmann::json(value), 2), nlohmann::json(value).dump(2));
    }
}

TEST(JsonWriter, ObjectsArraysAndAttributesWrittenStepByStep) {
    JsonWriter json(2);
    json.objectBegin().attribute("n", std::size_t{3}).attributeBegin("list");
    json.array([&] { json.value(-1).value("x").object([] {}); });
    json.attributeEnd().attribute("ok", false).objectEnd();
    EXPECT_TRUE(json.complete());
    EXPECT_EQ(json.take(),
              "{\n  \"n\": 3,\n  \"list\": [\n    -1,\n    \"x\",\n    {}\n  ],\n"
              "  \"ok\": false\n}");
    // What is open stays open across take(): a long text goes out in pieces.
    JsonWriter pieces;
    pieces.arrayBegin().value(1);
    EXPECT_EQ(pieces.take(), "[1");
    EXPECT_FALSE(pieces.complete());
    pieces.value(2).arrayEnd();
    EXPECT_EQ(pieces.take(), ",2]");
}

TEST(JsonWriter, NestingMisuseIsCaught) {
    using Steps = std::function<void(JsonWriter&)>;
    const std::vector<std::pair<const char*, Steps>> misuses = {
        {"value without a key", [](JsonWriter& j) { j.objectBegin().value(1); }},
        {"key outside an object", [](JsonWriter& j) { j.arrayBegin().attributeBegin("k"); }},
        {"key at the top", [](JsonWriter& j) { j.attributeBegin("k"); }},
        {"two keys in a row",
         [](JsonWriter& j) { j.objectBegin().attributeBegin("a").attributeBegin("b"); }},
        {"object closed before a value",
         [](JsonWriter& j) { j.objectBegin().attributeBegin("a").objectEnd(); }},
        {"array closes an object", [](JsonWriter& j) { j.objectBegin().arrayEnd(); }},
        {"object closes an array", [](JsonWriter& j) { j.arrayBegin().objectEnd(); }},
        {"end with nothing open", [](JsonWriter& j) { j.arrayEnd(); }},
        {"member's end without its value",
         [](JsonWriter& j) { j.objectBegin().attributeBegin("a").attributeEnd(); }},
        {"a second top-level value", [](JsonWriter& j) { j.value(1).value(2); }},
        {"a second top-level container",
         [](JsonWriter& j) { j.arrayBegin().arrayEnd().objectBegin(); }},
    };
    for (const auto& [name, steps] : misuses) {
        JsonWriter json;
        EXPECT_THROW(steps(json), std::logic_error) << name;
    }
}

TEST(JsonWriter, DeepValuesAreWrittenWithoutRecursion) {
    constexpr std::size_t kDepth = 200000;
    nlohmann::json deep = nlohmann::json::array();
    nlohmann::json* inner = &deep;
    for (std::size_t i = 1; i < kDepth; ++i) {
        inner->push_back(nlohmann::json::object({{"k", nlohmann::json::array()}}));
        inner = &(*inner)[0]["k"];
    }
    const std::string text = jsonText(deep);
    EXPECT_EQ(text.size(), 2 + (kDepth - 1) * std::string(R"({"k":[]})").size());
    EXPECT_EQ(text.substr(0, 13), R"([{"k":[{"k":[)");
}

}  // namespace
}  // namespace OrvexConfigValidate
