#include <gtest/gtest.h>

#include "SourceLocator.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

TextPosition at(std::size_t line, std::size_t column) {
    return {line, column};
}

TextPosition find(const std::string& text, const std::vector<std::string>& tokens) {
    const auto located = locateValue(text, tokens);
    EXPECT_TRUE(located.exact) << "path not found";
    return located.position;
}

TEST(Locator, RootAndMembers) {
    const std::string text = "\n  {\"a\": 1,\n   \"b\" :\t[true, {\"c\": null}]}";
    EXPECT_EQ(find(text, {}), at(2, 3));
    EXPECT_EQ(find(text, {"a"}), at(2, 9));
    EXPECT_EQ(find(text, {"b"}), at(3, 10));
    EXPECT_EQ(find(text, {"b", "0"}), at(3, 11));
    EXPECT_EQ(find(text, {"b", "1"}), at(3, 17));
    EXPECT_EQ(find(text, {"b", "1", "c"}), at(3, 23));
}

TEST(Locator, NestedArraysAreSkippedWhole) {
    const std::string text = R"([[1, [2, [3]]], {"x": [[], {}]}, "]", 4])";
    EXPECT_EQ(find(text, {"1"}), at(1, 17));
    EXPECT_EQ(find(text, {"1", "x", "1"}), at(1, 28));
    EXPECT_EQ(find(text, {"2"}), at(1, 34));
    EXPECT_EQ(find(text, {"3"}), at(1, 39));
    EXPECT_EQ(find(text, {"0", "1", "1", "0"}), at(1, 11));
}

TEST(Locator, KeysWithEscapesMatchTheirDecodedText) {
    // Keys: a"b, a\b, é (as \u00e9), the G clef U+1D11E (as a surrogate
    // pair), and a/b; a value string with "}" and an escaped quote in between.
    const std::string text =
        "{\"skip\": \"}\\\"{\", \"a\\\"b\": 1, \"a\\\\b\": 2, \"\\u00e9\": 3, "
        "\"\\ud834\\udd1e\": 4, \"a\\/b\": 5}";
    EXPECT_EQ(find(text, {"a\"b"}), at(1, 26));
    EXPECT_EQ(find(text, {"a\\b"}), at(1, 37));
    EXPECT_EQ(find(text, {"\xC3\xA9"}), at(1, 50));
    EXPECT_EQ(find(text, {"\xF0\x9D\x84\x9E"}), at(1, 69));
    EXPECT_EQ(find(text, {"a/b"}), at(1, 80));
}

TEST(Locator, ColumnsCountBytesOfRawUtf8) {
    const std::string text = "{\"\xC3\xA9t\xC3\xA9\": \"\xE2\x80\x94\", \"n\": 1}";
    EXPECT_EQ(find(text, {"\xC3\xA9t\xC3\xA9"}), at(1, 11));
    EXPECT_EQ(find(text, {"n"}), at(1, 23));
}

TEST(Locator, ByteOrderMarkIsNotAColumn) {
    const std::string text = "\xEF\xBB\xBF{\"a\": {\"b\": 2}}";
    EXPECT_EQ(find(text, {}), at(1, 1));
    EXPECT_EQ(find(text, {"a", "b"}), at(1, 13));
    EXPECT_EQ(positionAtOffset(text, 0), at(1, 1));
    EXPECT_EQ(positionAtOffset(text, 4), at(1, 2));
}

TEST(Locator, LastOfDuplicateKeysCounts) {
    const std::string text = "{\"a\": 1,\n \"a\": 2}";
    EXPECT_EQ(find(text, {"a"}), at(2, 7));
}

TEST(Locator, CrLfLineEnds) {
    const std::string text = "{\r\n  \"a\": [\r\n    7\r\n  ]\r\n}\r\n";
    EXPECT_EQ(find(text, {"a", "0"}), at(3, 5));
}

TEST(Locator, AbsentMemberGivesNearestEnclosingValue) {
    const std::string text = "{\n  \"groups\": [\n    {\"id\": \"g\"}\n  ]\n}";
    auto located = locateValue(text, {"groups", "0", "type"});
    EXPECT_FALSE(located.exact);
    EXPECT_EQ(located.position, at(3, 5));

    located = locateValue(text, {"groups", "1"});
    EXPECT_FALSE(located.exact);
    EXPECT_EQ(located.position, at(2, 13));

    located = locateValue(text, {"bridges", "0"});
    EXPECT_FALSE(located.exact);
    EXPECT_EQ(located.position, at(1, 1));

    // A scalar has no members; an array index must be canonical.
    EXPECT_EQ(locateValue(text, {"groups", "0", "id", "x"}).position, at(3, 12));
    EXPECT_FALSE(locateValue(text, {"groups", "00"}).exact);
    EXPECT_FALSE(locateValue("[]", {"0"}).exact);
    EXPECT_FALSE(locateValue("{}", {""}).exact);
}

TEST(Locator, EmptyKeyIsAKeyLikeAnyOther) {
    EXPECT_EQ(find("{\"\": 5, \"x\": 6}", {""}), at(1, 6));
}

TEST(Locator, DeepNestingNeedsNoRecursion) {
    const std::string text = "[" + std::string(200000, '[') + std::string(200000, ']') + ", 9]";
    EXPECT_EQ(find(text, {"1"}), at(1, 400004));
}

TEST(Locator, PositionAtOffsetClampsToTheEnd) {
    EXPECT_EQ(positionAtOffset("ab\ncd", 99), at(2, 3));
    EXPECT_EQ(positionAtOffset("ab\ncd", 3), at(2, 1));
    EXPECT_EQ(positionAtOffset("", 0), at(1, 1));
}

TEST(Locator, TruncatedTextStillGivesAPosition) {
    const auto located = locateValue("{\"a\": [1, ", {"a", "5"});
    EXPECT_FALSE(located.exact);
    EXPECT_EQ(located.position, at(1, 7));
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
