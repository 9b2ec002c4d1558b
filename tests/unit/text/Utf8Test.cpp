#include <gtest/gtest.h>

#include <string_view>

#include <orvexconfigvalidate/Text.hpp>

namespace OrvexConfigValidate {
namespace {

std::size_t wellFormed(std::string_view text, std::size_t at = 0) {
    return utf8SequenceLength(text, at, Utf8Check::WellFormed);
}

std::size_t shape(std::string_view text, std::size_t at = 0) {
    return utf8SequenceLength(text, at, Utf8Check::Shape);
}

TEST(Utf8SequenceLength, WholeCharactersInBothChecks) {
    for (const auto check : {Utf8Check::WellFormed, Utf8Check::Shape}) {
        EXPECT_EQ(utf8SequenceLength("a", 0, check), 1u);
        EXPECT_EQ(utf8SequenceLength(std::string_view("\0", 1), 0, check), 1u);
        EXPECT_EQ(utf8SequenceLength("\x7f", 0, check), 1u);
        EXPECT_EQ(utf8SequenceLength("\xC2\x80", 0, check), 2u);
        EXPECT_EQ(utf8SequenceLength("x\xC3\xA9y", 1, check), 2u);        // é, not at the start
        EXPECT_EQ(utf8SequenceLength("\xE2\x80\x94", 0, check), 3u);      // —
        EXPECT_EQ(utf8SequenceLength("\xF0\x9F\x93\xA1", 0, check), 4u);  // U+1F4E1
        EXPECT_EQ(utf8SequenceLength("\xF4\x8F\xBF\xBF", 0, check), 4u);  // U+10FFFF
    }
    EXPECT_EQ(wellFormed("\xE0\xA0\x80"), 3u);  // the first three-byte character
    EXPECT_EQ(wellFormed("\xED\x9F\xBF"), 3u);  // the last one below the surrogates
    EXPECT_EQ(wellFormed("\xF0\x90\x80\x80"), 4u);
}

TEST(Utf8SequenceLength, BrokenSequencesInBothChecks) {
    for (const auto check : {Utf8Check::WellFormed, Utf8Check::Shape}) {
        EXPECT_EQ(utf8SequenceLength("\x80", 0, check), 0u);  // a lone continuation
        EXPECT_EQ(utf8SequenceLength("\xC3\xA9", 1, check), 0u);
        EXPECT_EQ(utf8SequenceLength("\xC0\x80", 0, check), 0u);  // leads that only
        EXPECT_EQ(utf8SequenceLength("\xC1\xBF", 0, check), 0u);  // make overlong forms
        EXPECT_EQ(utf8SequenceLength("\xF5\x80\x80\x80", 0, check), 0u);
        EXPECT_EQ(utf8SequenceLength("\xFF", 0, check), 0u);
        EXPECT_EQ(utf8SequenceLength("\xC3"
                                     "A",
                                     0, check),
                  0u);
        EXPECT_EQ(utf8SequenceLength("\xE2\x80"
                                     "A",
                                     0, check),
                  0u);
        EXPECT_EQ(utf8SequenceLength("\xF0\x9F\x93"
                                     "A",
                                     0, check),
                  0u);
        EXPECT_EQ(utf8SequenceLength("\xF0\x9F\x93\xC3", 0, check), 0u);
        // Cut off by the end of the text.
        EXPECT_EQ(utf8SequenceLength("\xC3", 0, check), 0u);
        EXPECT_EQ(utf8SequenceLength("\xE2\x80", 0, check), 0u);
        EXPECT_EQ(utf8SequenceLength("\xF0\x9F\x93", 0, check), 0u);
    }
}

TEST(Utf8SequenceLength, OnlyTheStrictCheckRefusesOverlongSurrogateAndTooLarge) {
    EXPECT_EQ(wellFormed("\xE0\x9F\xBF"), 0u);  // overlong U+07FF
    EXPECT_EQ(shape("\xE0\x9F\xBF"), 3u);
    EXPECT_EQ(wellFormed("\xED\xA0\x80"), 0u);  // U+D800
    EXPECT_EQ(shape("\xED\xA0\x80"), 3u);
    EXPECT_EQ(wellFormed("\xF0\x8F\xBF\xBF"), 0u);  // overlong U+FFFF
    EXPECT_EQ(shape("\xF0\x8F\xBF\xBF"), 4u);
    EXPECT_EQ(wellFormed("\xF4\x90\x80\x80"), 0u);  // U+110000
    EXPECT_EQ(shape("\xF4\x90\x80\x80"), 4u);
}

}  // namespace
}  // namespace OrvexConfigValidate
