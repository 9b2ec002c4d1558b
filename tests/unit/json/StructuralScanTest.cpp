// The reader's wide scans against its byte-wise ones, at every offset of
// texts whose stop bytes fall at every place within and across the sixteen
// byte blocks, and near the end of the text.
#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "json/StructuralScan.hpp"

namespace OrvexConfigValidate {
namespace {

using Scan = std::size_t (*)(std::string_view, std::size_t);

struct ScanPair {
    const char* name;
    Scan wide;
    Scan bytewise;
};

const ScanPair kScans[] = {
    {"string content", &skipStringContent, &bytewise::skipStringContent},
    {"blanks", &skipBlanks, &bytewise::skipBlanks},
    {"digits", &skipDigits, &bytewise::skipDigits},
};

void expectSameEverywhere(std::string_view text) {
    for (const ScanPair& scan : kScans) {
        for (std::size_t from = 0; from <= text.size() + 1; ++from) {
            ASSERT_EQ(scan.wide(text, from), scan.bytewise(text, from))
                << scan.name << " from " << from << " in a text of " << text.size() << " bytes";
        }
    }
}

TEST(StructuralScanTest, WideScansStopWhereByteWiseOnesDo) {
    // Every byte value as the only stop in a long run of each scan's own
    // content, at each place of a block and in the last, partial one.
    for (const char filler : {'a', ' ', '7', '\t'}) {
        for (int byte = 0; byte < 256; ++byte) {
            for (const std::size_t at : {0, 1, 15, 16, 17, 31, 40, 46, 47}) {
                std::string text(48, filler);
                text[at] = static_cast<char>(byte);
                expectSameEverywhere(text);
            }
        }
    }
}

TEST(StructuralScanTest, WideScansAgreeOnRandomTexts) {
    // Bytes drawn mostly from what the scans stop at or run over, in texts
    // of every length up to a few blocks.
    const std::string alphabet = std::string("  \t\t09aZ\"\\\x1f\x7f\x80\xff{}:,\n\r", 20);
    std::mt19937 random(45);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> runLength(0, 40);
    for (std::size_t length = 0; length < 80; ++length) {
        for (int round = 0; round < 20; ++round) {
            std::string text;
            while (text.size() < length) {
                text.append(static_cast<std::size_t>(runLength(random)), alphabet[pick(random)]);
            }
            text.resize(length);
            expectSameEverywhere(text);
        }
    }
}

TEST(StructuralScanTest, ScansStopAtTheirFirstStopByte) {
    struct Case {
        Scan scan;
        std::string_view text;
        std::size_t from;
        std::size_t expected;
    };
    const std::vector<Case> cases = {
        {&skipStringContent, "abcdefghijklmnopqrstuvwxyz\"", 0, 26},
        {&skipStringContent, "abcdefghijklmnopqrstuvwxyz\\n", 3, 26},
        {&skipStringContent, "abcdefghijklmnopq\xc3\xa9", 0, 17},
        {&skipStringContent, "abcdefghijklmnopq\x7f\x1f", 0, 18},
        {&skipStringContent, "abcdefghijklmnopqrstuvwxyz", 0, 26},
        {&skipBlanks, "                  \t\t\n", 0, 20},
        {&skipBlanks, "x                   ", 0, 0},
        {&skipBlanks, "                    ", 2, 20},
        {&skipDigits, "1234567890123456789012345e5", 0, 25},
        {&skipDigits, "12345678901234567890/", 0, 20},
        {&skipDigits, "1234567890123456789:", 1, 19},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.scan(c.text, c.from), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace OrvexConfigValidate
