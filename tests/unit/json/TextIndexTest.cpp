// The index names members by their place in the document's key order, not
// by pointers into it: these cases mix text order and key order.
#include <gtest/gtest.h>

#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "json/ReleaseValue.hpp"

namespace OrvexConfigValidate {
namespace {

const std::string kUnsorted =
    "{\"zeta\": [1, 2],\n"
    " \"alpha\": {\"y\": 1, \"b\": {\"deep\": true}},\n"
    " \"mid\": \"m\",\n"
    " \"alpha\": {\"q\": [null, {\"b\": 5}]},\n"
    " \"Alpha\": 0}";

std::size_t offsetOf(const std::string& needle, std::size_t from = 0) {
    const std::size_t at = kUnsorted.find(needle, from);
    EXPECT_NE(at, std::string::npos) << needle;
    return at;
}

TEST(TextIndex, MembersAreFoundWhateverTheirTextOrder) {
    const ParsedText parsed = parseText(kUnsorted);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.locate("/zeta/1").offset, offsetOf("2]"));
    EXPECT_EQ(parsed.locate("/mid").offset, offsetOf("\"m\""));
    EXPECT_EQ(parsed.locate("/Alpha").offset, offsetOf("0}"));
    // The later "alpha" is the one the document holds.
    const std::size_t later = offsetOf("{\"q\"");
    EXPECT_EQ(parsed.locate("/alpha").offset, later);
    EXPECT_EQ(parsed.locate("/alpha/q/1/b").offset, offsetOf("5}"));
    // "y" lived only in the replaced one: its nearest holder is the later.
    EXPECT_EQ(parsed.locate("/alpha/y").offset, later);
}

TEST(TextIndex, PointerAtNamesMembersWhateverTheirTextOrder) {
    const ParsedText parsed = parseText(kUnsorted);
    EXPECT_EQ(parsed.pointerAt(offsetOf("2]")), "/zeta/1");
    EXPECT_EQ(parsed.pointerAt(offsetOf("5}")), "/alpha/q/1/b");
    EXPECT_EQ(parsed.pointerAt(offsetOf("\"Alpha\"") + 2), "/Alpha");
    EXPECT_EQ(parsed.pointerAt(offsetOf("\"m\"")), "/mid");
    // Inside the replaced member: its name, and no further.
    EXPECT_EQ(parsed.pointerAt(offsetOf("true")), "/alpha");
}

TEST(TextIndex, ManyMembersAndDeepSubtreesAreSkippedExactly) {
    std::string text = "{";
    for (int k = 2999; k >= 0; --k) {
        text += "\"m" + std::to_string(k) + "\": ";
        text += k % 3 == 0 ? "[[[" + std::to_string(k) + "]]]" : std::to_string(k);
        text += k == 0 ? "}" : ",\n";
    }
    const ParsedText parsed = parseText(text);
    ASSERT_TRUE(parsed.ok());
    for (int k : {0, 1, 3, 1500, 2997, 2999}) {
        const std::string name = "\"m" + std::to_string(k) + "\": ";
        const std::size_t value = text.find(name) + name.size();
        const std::string pointer = "/m" + std::to_string(k) + (k % 3 == 0 ? "/0/0/0" : "");
        const std::size_t inner = k % 3 == 0 ? value + 3 : value;
        EXPECT_EQ(parsed.locate(pointer).offset, inner) << pointer;
        EXPECT_EQ(parsed.pointerAt(inner), pointer);
    }
}

}  // namespace
}  // namespace OrvexConfigValidate

namespace OrvexConfigValidate {
namespace {

// Freeing a document walks it without the heap: past the fixed levels,
// mixed with objects, and wide; every value is freed once (the sanitizer
// builds see a leak or a double free) and the value is left null.
TEST(ReleaseValue, FreesAnyShapeAndLeavesNull) {
    const std::string deep = std::string(1000, '[') + "1" + std::string(1000, ']');
    std::string mixed;
    for (int i = 0; i < 400; ++i) mixed += "{\"a\": [1, \"two\", ";
    mixed += "{}";
    for (int i = 0; i < 400; ++i) mixed += "], \"b\": {\"c\": null}}";
    std::string wide = "[";
    for (int i = 0; i < 10000; ++i) wide += "{\"k\": [\"long enough to be on the heap\"]},";
    wide += "0]";
    for (const std::string& text : {deep, mixed, wide, std::string("\"s\""), std::string("{}")}) {
        nlohmann::json value = nlohmann::json::parse(text);
        releaseValue(value);
        EXPECT_TRUE(value.is_null()) << text.substr(0, 40);
    }
}

}  // namespace
}  // namespace OrvexConfigValidate
