#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "JsonText.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

std::string written(const std::string& text) {
    std::string out;
    appendJsonString(out, text);
    return out;
}

// What the language server's other answers send for the same string.
std::string dumped(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

TEST(JsonString, EscapesAsADumpDoes) {
    const char controls[] = "nul \0 bell \x07 esc \x1B del \x7F";
    const std::vector<std::string> texts = {
        "",
        "plain",
        "quote \" backslash \\ slash /",
        std::string(controls, sizeof controls - 1),
        "\b\f\n\r\t\x1F",
        "\xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80",  // é — 😀 kept as they are
        "\xEF\xBF\xBD",                          // U+FFFD itself
    };
    for (const std::string& text : texts) EXPECT_EQ(written(text), dumped(text)) << text;
}

TEST(JsonString, IllFormedUtf8IsReplacedAsADumpReplacesIt) {
    const std::vector<std::string> texts = {
        "\x80",
        "\xBF tail",
        "\xC0\x80",
        "\xC1\xBF",
        "\xC3",
        "a\xC3",
        "\xC3(",
        "\xE0\x80\x80",
        "\xE0\xA0",
        "\xE0\xA0(",
        "\xED\xA0\x80",
        "\xED\x9F\xBF",
        "\xF0\x8F\xBF\xBF",
        "\xF0\x90\x80",
        "\xF4\x90\x80\x80",
        "\xF5\x80\x80\x80",
        "\xFF\xFE",
        "\xE2\x80\xE2\x80",
        "\xF0\x9F\x98\"",
        "x\xF0\x9F\x98",
    };
    for (const std::string& text : texts) EXPECT_EQ(written(text), dumped(text)) << text;
}

TEST(JsonString, EveryByteAndRandomBytesMatchADump) {
    for (int b = 0; b < 256; ++b) {
        const std::string text = "<" + std::string(1, static_cast<char>(b)) + ">";
        EXPECT_EQ(written(text), dumped(text)) << b;
    }
    // Bytes drawn mostly from the UTF-8 lead and continuation ranges, where
    // replacement decisions are made.
    std::uint32_t state = 12345;
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (int i = 0; i < 12; ++i) {
            state = state * 1664525u + 1013904223u;
            const std::uint32_t pick = state >> 24;
            text += static_cast<char>(pick < 64 ? pick : 0x80 + (pick & 0x7F));
        }
        ASSERT_EQ(written(text), dumped(text)) << round;
    }
}

TEST(JsonWriter, NestingPlacesCommasAndColons) {
    JsonWriter json;
    json.beginArray();
    json.beginObject().key("a").number(1).key("b").beginArray().endArray();
    json.key("c").beginObject().endObject().key("d\"").string("x\n").endObject();
    json.boolean(true).boolean(false).number(18446744073709551615u);
    json.beginArray().string("").beginObject().endObject().endArray();
    json.endArray();
    const std::string text = json.take();
    EXPECT_EQ(text,
              R"([{"a":1,"b":[],"c":{},"d\"":"x\n"},true,false,18446744073709551615,["",{}]])");
    EXPECT_EQ(nlohmann::json::parse(text).dump(), text);
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
