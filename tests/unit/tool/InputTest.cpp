#include <gtest/gtest.h>

#include <sstream>

#include "Input.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

TextPosition parseErrorAt(const std::string& text) {
    const auto input = parseInput("f", text);
    EXPECT_TRUE(input.error.has_value()) << text;
    if (!input.error) return {};
    EXPECT_EQ(input.error->code, "parse_error");
    EXPECT_TRUE(input.error->position.has_value());
    return input.error->position.value_or(TextPosition{});
}

TEST(Input, StrictParsingRejectsWhatTheLibraryRejects) {
    EXPECT_EQ(parseErrorAt("{\n  /* c */ \"a\": 1\n}"), (TextPosition{2, 3}));
    EXPECT_EQ(parseErrorAt("[1, 2,]"), (TextPosition{1, 7}));
    EXPECT_EQ(parseErrorAt("{} []"), (TextPosition{1, 4}));
    EXPECT_EQ(parseErrorAt("   "), (TextPosition{1, 4}));
    EXPECT_EQ(parseErrorAt("{\"a\":\n  tru}"), (TextPosition{2, 6}));
    EXPECT_EQ(parseErrorAt("\xEF\xBB\xBF{\"a\": }"), (TextPosition{1, 7}));
}

TEST(Input, ReasonHasNoParserPrefixAndStaysUtf8) {
    auto input = parseInput("f", "[\"\xFF\"]");
    ASSERT_TRUE(input.error);
    EXPECT_EQ(input.error->message.rfind("syntax error while parsing value - invalid string", 0),
              0u)
        << input.error->message;
    EXPECT_EQ(input.error->message.find('\xFF'), std::string::npos);
    EXPECT_NE(input.error->message.find("\xEF\xBF\xBD"), std::string::npos);

    input = parseInput("f", "{\"a\": 1,}");
    ASSERT_TRUE(input.error);
    EXPECT_EQ(input.error->message,
              "syntax error while parsing object key - unexpected '}'; expected string literal");
}

TEST(Input, ByteOrderMarkIsAccepted) {
    const auto input = parseInput("f", "\xEF\xBB\xBF{\"a\": [1]}");
    EXPECT_FALSE(input.error);
    EXPECT_EQ(input.document["a"][0], 1);
}

TEST(Input, StandardInputAndUnreadableFiles) {
    std::istringstream in("{\"x\": true}");
    auto input = loadInput("-", in);
    EXPECT_EQ(input.name, "<stdin>");
    EXPECT_FALSE(input.error);
    EXPECT_EQ(input.document["x"], true);

    input = loadInput("/nonexistent/dir/bridges.json", in);
    ASSERT_TRUE(input.error);
    EXPECT_EQ(input.error->code, "read_error");
    EXPECT_EQ(input.error->message, "cannot read file: No such file or directory");
    EXPECT_FALSE(input.error->position);

    input = loadInput("/", in);
    ASSERT_TRUE(input.error);
    EXPECT_EQ(input.error->message, "cannot read file: is a directory");
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
