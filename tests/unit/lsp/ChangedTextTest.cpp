#include <gtest/gtest.h>

#include <ctime>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "lsp/ChangedText.hpp"
#include "lsp/JsonRpc.hpp"
#include "lsp/Server.hpp"
#include "lsp/TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

using Json = nlohmann::json;

// Characters that make positions hard: line breaks of three kinds, two-,
// three- and four-byte characters, and bytes that start or continue no
// character or a cut-off one.
const std::vector<std::string> kAlphabet = {
    "a",    "b",    " ",        "\n",  "\r", "\r\n", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
    "\xE2", "\x82", "\xF0\x9F", "\xAC"};

std::string randomText(std::mt19937& random, std::size_t characters) {
    std::string text;
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    for (std::size_t i = 0; i < characters; ++i) text += kAlphabet[pick(random)];
    return text;
}

Position randomPosition(std::mt19937& random, std::size_t lines) {
    std::uniform_int_distribution<std::size_t> line(0, lines + 1);
    std::uniform_int_distribution<std::size_t> character(0, 30);
    return {line(random), character(random)};
}

std::size_t lineCount(const std::string& text) {
    return TextPositions(text).positionOf(text.size()).line + 1;
}

// What a change does, read with a fresh position table: the reference.
bool applyDirectly(std::string& text, const Position& start, const Position& end,
                   const std::string& replacement) {
    const TextPositions positions(text);
    const std::size_t begin = positions.offsetOf(start);
    const std::size_t finish = positions.offsetOf(end);
    if (finish < begin) return false;
    text.replace(begin, finish - begin, replacement);
    return true;
}

// Random changes on random texts, with pieces small enough that ranges and
// characters cross the seams between them all the time.
// Every other round gives the original text's positions, so that the first
// change is found there and the later ones in pieces.
TEST(ChangedText, AgreesWithAPositionTablePerChange) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 300; ++round) {
        std::string expected = randomText(random, random() % 200);
        const std::string original = expected;
        const TextPositions originalPositions(original);
        ChangedText changed(original, 16, round % 2 == 0 ? &originalPositions : nullptr);
        for (int step = 0; step < 40; ++step) {
            const std::size_t lines = lineCount(expected);
            Position start = randomPosition(random, lines);
            Position end = random() % 3 == 0 ? start : randomPosition(random, lines);
            const std::string replacement =
                randomText(random, random() % 3 == 0 ? 0 : random() % 50);
            const bool applied = applyDirectly(expected, start, end, replacement);
            ASSERT_EQ(changed.replace(start, end, replacement), applied) << round << "/" << step;
            ASSERT_EQ(changed.text(), expected) << round << "/" << step;
        }
    }
}

TEST(ChangedText, WholeTextChangesAndNoChange) {
    const std::string original = "one\ntwo\n";
    {
        ChangedText changed(original);
        EXPECT_FALSE(changed.changed());
        EXPECT_EQ(changed.take(), original);
    }
    ChangedText changed(original);
    changed.replaceAll("x\ny");
    EXPECT_TRUE(changed.changed());
    // Ranges after a whole-text change refer to the new text.
    EXPECT_TRUE(changed.replace({1, 0}, {1, 1}, "z"));
    EXPECT_EQ(changed.take(), "x\nz");
    changed.replaceAll("again");
    EXPECT_EQ(changed.take(), "again");
    // A range that ends before it starts changes nothing.
    ChangedText backwards(original);
    EXPECT_FALSE(backwards.replace({1, 2}, {0, 1}, "q"));
    EXPECT_FALSE(backwards.changed());
    const TextPositions positions(original);
    ChangedText backwardsFirst(original, ChangedText::kPieceBytes, &positions);
    EXPECT_FALSE(backwardsFirst.replace({1, 2}, {0, 1}, "q"));
    EXPECT_FALSE(backwardsFirst.changed());
    EXPECT_EQ(backwardsFirst.take(), original);
    // Positions given, a whole-text change still comes first.
    ChangedText wholeFirst(original, ChangedText::kPieceBytes, &positions);
    wholeFirst.replaceAll("x\ny");
    EXPECT_TRUE(wholeFirst.replace({0, 1}, {1, 0}, "-"));
    EXPECT_EQ(wholeFirst.take(), "x-y");
}

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// One message of 30,000 ranged changes on a 3 MB file, as one server call.
// Each change replaces the line break after column 99 of a line (and what
// an earlier change put there) with "é\n": byte offsets after it move, and
// the line becomes one of two-byte characters.
TEST(ChangedText, ThirtyThousandChangesOnThreeMegabytesInOneMessage) {
    const std::size_t kLines = 30000;
    const std::string line = std::string(99, 'x') + "\n";
    std::string text;
    for (std::size_t i = 0; i < kLines; ++i) text += line;
    Json changes = Json::array();
    std::vector<bool> touched(kLines, false);
    for (std::size_t i = 0; i < 30000; ++i) {
        const std::size_t at = (i * 7919) % (kLines - 1);
        touched[at] = true;
        changes.push_back({{"range",
                            {{"start", {{"line", at}, {"character", 99}}},
                             {"end", {{"line", at + 1}, {"character", 0}}}}},
                           {"text", "\xC3\xA9\n"}});
    }
    std::string expected;
    for (std::size_t i = 0; i < kLines; ++i) {
        expected += touched[i] ? std::string(99, 'x') + "\xC3\xA9\n" : line;
    }
    Server server([](const Outgoing&) {}, "test");
    server.handleBody(R"({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {}})");
    const std::string uri = "file:///nonexistent-orvex-folder/notes.txt";
    server.handleBody(serialise(
        makeNotification("textDocument/didOpen",
                         {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", text}}}})));
    const std::string body = serialise(makeNotification(
        "textDocument/didChange",
        {{"textDocument", {{"uri", uri}, {"version", 2}}}, {"contentChanges", changes}}));
    // Processor time of this thread: the machine may be busy with others.
    const double started = threadSeconds();
    server.handleBody(body);
    const double seconds = threadSeconds() - started;
    std::cout << "30,000 changes on 3 MB, one didChange: " << seconds << " s of processor time\n";
    // A position table and a whole-text replace per change took 15 s of an
    // optimised build; pieces take under half a second there, and about 4 s
    // with the sanitizers of a debug build.
    EXPECT_LT(seconds, 15.0);
    const auto changed = server.text(uri);
    ASSERT_NE(changed, nullptr);
    EXPECT_TRUE(*changed == expected);
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
