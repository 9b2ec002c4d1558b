#include <gtest/gtest.h>

#include <string>

#include <orvexconfigvalidate/Format.hpp>

namespace {

using OrvexConfigValidate::formatText;

struct LayoutCase {
    const char* name;
    const char* schemaId;
    std::string text;
    std::string expected;
};

TEST(Format, LaysOutInSchemaOrderKeepingValuesAndTheFilesConventions) {
    const LayoutCase cases[] = {
        {"schema order, then unnamed members in their order", "Group",
         R"({"zeta":1,"type":1,"alpha":{"b":2,"a":1},"id":"g"})",
         "{\n  \"id\": \"g\",\n  \"type\": 1,\n  \"zeta\": 1,\n  \"alpha\": {\n    \"b\": 2,\n"
         "    \"a\": 1\n  }\n}"},
        {"references followed into array elements; arrays keep their order",
         "BridgingConfiguration",
         R"({"groups":[{"type":3,"id":"b"},{"name":"n","id":"a"}],"bridges":[{"groups":["b","a"],"id":"x"}]})",
         "{\n  \"bridges\": [\n    {\n      \"id\": \"x\",\n      \"groups\": [\n        \"b\",\n"
         "        \"a\"\n      ]\n    }\n  ],\n  \"groups\": [\n    {\n      \"id\": \"b\",\n"
         "      \"type\": 3\n    },\n    {\n      \"id\": \"a\",\n      \"name\": \"n\"\n    }\n"
         "  ]\n}"},
        {"byte-order mark, CRLF, final line break and number spellings kept", "",
         "\xEF\xBB\xBF{ \"b\" : [1, 2.0e0 ,{} ],\r\n\"a\":[], \"s\": \"\\u00e9\\n\"}\r\n",
         "\xEF\xBB\xBF{\r\n  \"b\": [\r\n    1,\r\n    2.0e0,\r\n    {}\r\n  ],\r\n  \"a\": [],\r\n"
         "  \"s\": \"\\u00e9\\n\"\r\n}\r\n"},
        {"a repeated key stays, in its order", "Group", R"({"type":1,"id":"a","id":"b"})",
         "{\n  \"id\": \"a\",\n  \"id\": \"b\",\n  \"type\": 1\n}"},
        {"an escaped key is matched by its name", "Group", "{\"x\":0,\"\\u0069d\":\"g\"}\n",
         "{\n  \"\\u0069d\": \"g\",\n  \"x\": 0\n}\n"},
        {"a lone scalar", "", "  5e3 \n", "5e3\n"},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto formatted = formatText(c.text, c.schemaId);
        ASSERT_TRUE(formatted.ok);
        EXPECT_EQ(formatted.text, c.expected);
        const auto again = formatText(formatted.text, c.schemaId);
        ASSERT_TRUE(again.ok);
        EXPECT_EQ(again.text, formatted.text) << "not idempotent";
    }
}

TEST(Format, RefusesATextThatDoesNotParseOrWouldGrowWithoutBound) {
    const auto broken = formatText("{\"id\": \"g\",}", "Group");
    EXPECT_FALSE(broken.ok);
    ASSERT_EQ(broken.issues.size(), 1u);
    EXPECT_EQ(broken.issues[0].code, "parse_error");
    EXPECT_TRUE(broken.text.empty());

    // Indentation grows with depth: 200,000 levels would lay out to tens of
    // gigabytes.
    const std::size_t depth = 200000;
    const std::string deep = std::string(depth, '[') + std::string(depth, ']');
    const auto refused = formatText(deep, "");
    EXPECT_FALSE(refused.ok);
    ASSERT_EQ(refused.issues.size(), 1u);
    EXPECT_NE(refused.issues[0].message.find("nesting too deep"), std::string::npos);

    const std::string shallow = std::string(100, '[') + std::string(100, ']');
    EXPECT_TRUE(formatText(shallow, "").ok);
}

TEST(Format, ChangedSpanKeepsTheCommonStartAndEnd) {
    const auto edit = OrvexConfigValidate::changedSpan("abcXYdef", "abcZdef");
    EXPECT_EQ(edit.offset, 3u);
    EXPECT_EQ(edit.length, 2u);
    EXPECT_EQ(edit.newText, "Z");
    const auto none = OrvexConfigValidate::changedSpan("same", "same");
    EXPECT_EQ(none.length, 0u);
    EXPECT_TRUE(none.newText.empty());
    // Overlapping start and end are not counted twice.
    const auto grown = OrvexConfigValidate::changedSpan("aa", "aaa");
    EXPECT_EQ(grown.offset + grown.length, 2u);
    EXPECT_EQ(grown.newText, "a");
}

TEST(Format, ChangedSpanEndsBetweenCharacters) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;
        std::size_t offset;
        std::size_t length;
        std::string newText;
    };
    // U+00E4 and U+00F6 start with the same byte, U+00E4 and U+0424 end
    // with the same byte.
    const Case cases[] = {
        {"not after a shared lead byte", "x\xC3\xA4", "x\xC3\xB6", 1, 2, "\xC3\xB6"},
        {"not before a shared last byte", "\xC3\xA4!", "\xD0\xA4!", 0, 2, "\xD0\xA4"},
        {"not inside a CRLF", "a\r\nb", "a\rb", 1, 2, "\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto edit = OrvexConfigValidate::changedSpan(c.before, c.after);
        EXPECT_EQ(edit.offset, c.offset);
        EXPECT_EQ(edit.length, c.length);
        EXPECT_EQ(edit.newText, c.newText);
    }
}

}  // namespace
