#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lsp/TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

TEST(TextPositions, AsciiLinesCountBytes) {
    const std::string text = "{\n  \"a\": 1\n}";
    const TextPositions positions(text);
    EXPECT_EQ(positions.positionOf(0), (Position{0, 0}));
    EXPECT_EQ(positions.positionOf(4), (Position{1, 2}));
    EXPECT_EQ(positions.positionOf(text.size()), (Position{2, 1}));
    EXPECT_EQ(positions.offsetOf({1, 2}), 4u);
}

TEST(TextPositions, MultiByteCharactersCountUtf16Units) {
    // "é" is 2 bytes / 1 unit, "—" 3 bytes / 1 unit, "😀" 4 bytes / 2 units.
    const std::string text = "\"\xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80x\"";
    const TextPositions positions(text);
    EXPECT_EQ(positions.positionOf(1), (Position{0, 1}));
    EXPECT_EQ(positions.positionOf(3), (Position{0, 2}));
    EXPECT_EQ(positions.positionOf(6), (Position{0, 3}));
    EXPECT_EQ(positions.positionOf(10), (Position{0, 5}));
    EXPECT_EQ(positions.offsetOf({0, 5}), 10u);
    EXPECT_EQ(positions.offsetOf({0, 3}), 6u);
    // Between the two halves of a surrogate pair: the character's start.
    EXPECT_EQ(positions.offsetOf({0, 4}), 6u);
}

TEST(TextPositions, OffsetInsideACharacterCountsTheWholeCharacter) {
    const std::string text = "a\xF0\x9F\x98\x80";
    const TextPositions positions(text);
    EXPECT_EQ(positions.positionOf(2), (Position{0, 3}));
}

TEST(TextPositions, InvalidBytesCountOneUnitEach) {
    // A stray continuation byte, a lead byte cut off by the end of the line,
    // and an overlong lead byte.
    const std::string text =
        "\x80"
        "a\xE2\x80\n\xC0\xAFz";
    const TextPositions positions(text);
    EXPECT_EQ(positions.positionOf(2), (Position{0, 2}));
    EXPECT_EQ(positions.positionOf(4), (Position{0, 4}));
    EXPECT_EQ(positions.positionOf(7), (Position{1, 2}));
    EXPECT_EQ(positions.offsetOf({1, 2}), 7u);
}

TEST(TextPositions, AllThreeLineBreaks) {
    const std::string text = "a\r\nb\rc\nd";
    const TextPositions positions(text);
    EXPECT_EQ(positions.positionOf(3), (Position{1, 0}));
    EXPECT_EQ(positions.positionOf(5), (Position{2, 0}));
    EXPECT_EQ(positions.positionOf(7), (Position{3, 0}));
    EXPECT_EQ(positions.lineEnd(0), 1u);
    EXPECT_EQ(positions.lineEnd(1), 4u);
    EXPECT_EQ(positions.lineEnd(3), text.size());
}

TEST(TextPositions, PositionsBeyondTheTextAreClamped) {
    const std::string text = "ab\n\xC3\xA9";
    const TextPositions positions(text);
    EXPECT_EQ(positions.offsetOf({0, 99}), 2u);  // end of line 0, before the break
    EXPECT_EQ(positions.offsetOf({1, 99}), text.size());
    EXPECT_EQ(positions.offsetOf({7, 0}), text.size());
    EXPECT_EQ(positions.positionOf(1000), (Position{1, 1}));
}

TEST(TextPositions, EmptyText) {
    const TextPositions positions("");
    EXPECT_EQ(positions.positionOf(0), (Position{0, 0}));
    EXPECT_EQ(positions.offsetOf({0, 3}), 0u);
    EXPECT_EQ(positions.nextCharacter(0), 0u);
}

TEST(TextPositions, NextCharacterStepsOverWholeSequences) {
    const std::string text = "\xF0\x9F\x98\x80\xC3\xA9x\xFF";
    const TextPositions positions(text);
    EXPECT_EQ(positions.nextCharacter(0), 4u);
    EXPECT_EQ(positions.nextCharacter(4), 6u);
    EXPECT_EQ(positions.nextCharacter(6), 7u);
    EXPECT_EQ(positions.nextCharacter(7), 8u);
}

TEST(TextPositions, RoundTripOverAMixedText) {
    const std::string text = "{\"n\u00e4me\": \"\xF0\x9F\x8E\xB5 \u2014\",\r\n \"k\": [1,\r2]}\n";
    const TextPositions positions(text);
    for (std::size_t offset = 0; offset <= text.size(); offset = positions.nextCharacter(offset)) {
        // The "\n" of a "\r\n" is no place a position can name.
        if (offset > 0 && text[offset] == '\n' && text[offset - 1] == '\r') continue;
        EXPECT_EQ(positions.offsetOf(positions.positionOf(offset)), offset) << offset;
        if (offset == text.size()) break;
    }
}

// Many offsets at once give what each gives alone, in any order, on lines
// of ASCII, of multi-byte characters and of ill-formed bytes.
TEST(TextPositions, ManyOffsetsAtOnceAsEachAlone) {
    const std::string text =
        "ascii line\n\xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80 mixed \xF0\x9F\x98\x80\r\n"
        "\xFF\xC3 bad \xE2\x80 cut\n\nlast \xC3\xA9";
    const TextPositions positions(text);
    std::vector<std::size_t> offsets;
    for (std::size_t offset = 0; offset <= text.size() + 2; ++offset) {
        offsets.push_back((offset * 7) % (text.size() + 3));
        offsets.push_back(offset);
    }
    const std::vector<Position> found = positions.positionsOf(offsets);
    ASSERT_EQ(found.size(), offsets.size());
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        EXPECT_EQ(found[i], positions.positionOf(offsets[i])) << offsets[i];
    }
    EXPECT_TRUE(positions.positionsOf({}).empty());
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
