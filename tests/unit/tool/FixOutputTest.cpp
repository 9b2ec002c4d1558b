#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/Validation.hpp>
#include "Arguments.hpp"
#include "EditTrail.hpp"
#include "UnifiedDiff.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

std::string applied(const std::string& text, const std::vector<TextEdit>& edits) {
    std::string out;
    std::size_t at = 0;
    for (const TextEdit& edit : edits) {
        out += text.substr(at, edit.offset - at) + edit.newText;
        at = edit.offset + edit.length;
    }
    return out + text.substr(at);
}

// Rounds of edits, each on the text the round before left, told as edits
// of the first text that make the same last text.
TEST(EditTrail, RoundsComposeIntoEditsOfTheFirstText) {
    const std::string first = "abcdefghij";
    EditTrail trail(first.size());
    const std::vector<TextEdit> round1{{1, 2, "XY"}, {5, 0, "+"}, {8, 2, ""}};
    const std::string second = applied(first, round1);  // "aXYde+fgh"
    trail.apply(round1);
    // Edits touching the first round's text, and the untouched start.
    const std::vector<TextEdit> round2{{0, 0, "<"}, {2, 4, "-"}, {9, 0, ">"}};
    const std::string third = applied(second, round2);
    trail.apply(round2);
    const std::vector<TextEdit> composed = trail.edits();
    EXPECT_EQ(applied(first, composed), third);
    for (std::size_t k = 1; k < composed.size(); ++k) {
        EXPECT_LE(composed[k - 1].offset + composed[k - 1].length, composed[k].offset);
    }
    EXPECT_TRUE(EditTrail(4).edits().empty());
}

// A round keeps its fixes only when a check of the result finds no new
// issue; else it keeps those that add none, tried one at a time.
TEST(FixRound, AFixThatAddsAnIssueIsLeftOutAndTheOthersKept) {
    const std::string text = R"({"id": "g1", "id": "g2", "type": 3, "tx": {"p": 1}})";
    const std::size_t type = text.find('3');
    const CheckTexts check = [type](const std::vector<std::string>& texts) {
        ValidationResult result = validateText("Group", texts[0], {});
        // Taken first, it would give the group a type the schema refuses.
        Issue breaking;
        breaking.code = "breaking";
        breaking.fixes.push_back(Fix{"Break", {{type, 1, "\"x\""}}, true});
        result.issues.insert(result.issues.begin(), breaking);
        return result;
    };
    const std::vector<AppliedFixes> round = fixRound({text}, check);
    ASSERT_EQ(round.size(), 1U);
    EXPECT_EQ(round[0].applied, 1U);
    EXPECT_EQ(round[0].text, R"({"id": "g2", "type": 3, "tx": {"p": 1}})");
}

TEST(UnifiedDiff, HunksWithContextLineCountsAndMissingFinalNewline) {
    std::string text;
    for (int line = 1; line <= 20; ++line) text += "line " + std::to_string(line) + "\n";
    text += "last";
    const std::size_t line2 = text.find("line 2\n");
    const std::size_t line19 = text.find("line 19\n");
    const std::vector<TextEdit> edits{
        {line2 + 5, 1, "two\nand more"},  // one line becomes two
        {line19, 8, ""},                  // a line removed
        {text.size() - 4, 4, "final"},    // the last line, without "\n"
    };
    EXPECT_EQ(unifiedDiff(text, edits, "f.json"),
              "--- a/f.json\n+++ b/f.json\n"
              "@@ -1,5 +1,6 @@\n line 1\n-line 2\n+line two\n+and more\n line 3\n line 4\n line 5\n"
              "@@ -16,6 +17,5 @@\n line 16\n line 17\n line 18\n-line 19\n line 20\n-last\n"
              "\\ No newline at end of file\n+final\n\\ No newline at end of file\n");
    EXPECT_EQ(unifiedDiff(text, {}, "f.json"), "");
    EXPECT_EQ(unifiedDiff("", {{0, 0, "{}\n"}}, "e.json"),
              "--- a/e.json\n+++ b/e.json\n@@ -0,0 +1,1 @@\n+{}\n");
}

// Names as git writes them in diff headers: git apply and patch read back
// the same bytes, and no byte of a name can end its line or reach a
// terminal.
TEST(UnifiedDiff, HeaderNamesAreQuotedAsGitQuotesThem) {
    const struct {
        std::string path;
        std::string header;
    } cases[] = {
        {"d/f.json", "--- a/d/f.json\n+++ b/d/f.json\n"},
        {"my dir/f", "--- a/my dir/f\t\n+++ b/my dir/f\t\n"},
        {"d\n@@ -1 +1 @@/f", "--- \"a/d\\n@@ -1 +1 @@/f\"\t\n+++ \"b/d\\n@@ -1 +1 @@/f\"\t\n"},
        {"t\tq\"b\\/f", "--- \"a/t\\tq\\\"b\\\\/f\"\n+++ \"b/t\\tq\\\"b\\\\/f\"\n"},
        {"\a\b\v\f\r/f", "--- \"a/\\a\\b\\v\\f\\r/f\"\n+++ \"b/\\a\\b\\v\\f\\r/f\"\n"},
        {std::string("\x1b[1m\x01\x7f", 6) + "\xc3\xa9/f",
         "--- \"a/\\033[1m\\001\\177\\303\\251/f\"\n+++ \"b/\\033[1m\\001\\177\\303\\251/f\"\n"},
        {std::string("n\0l", 3), "--- \"a/n\\000l\"\n+++ \"b/n\\000l\"\n"},
    };
    for (const auto& [path, header] : cases) {
        const std::string diff = unifiedDiff("x\n", {{0, 1, "y"}}, path);
        EXPECT_EQ(diff.substr(0, header.size()), header) << path;
        EXPECT_EQ(diff.substr(header.size()), "@@ -1,1 +1,1 @@\n-x\n+y\n") << path;
    }
}

// Each fix takes its line's end, so each block of lines runs into the
// next: the diff is one hunk, built in time linear in the text.
TEST(UnifiedDiff, FixesRunningIntoEachOtherAreLinear) {
    const std::string pair = "{\"a\":1,\n\"a\":1},\n";
    const auto chain = [&pair](std::size_t count) {
        std::string text;
        std::vector<TextEdit> edits;
        for (std::size_t k = 0; k < count; ++k) {
            edits.push_back({text.size() + 1, 7, ""});  // "a":1, and the line end
            text += pair;
        }
        return std::make_pair(text, edits);
    };
    const auto [small, smallEdits] = chain(2);
    EXPECT_EQ(unifiedDiff(small, smallEdits, "f"),
              "--- a/f\n+++ b/f\n@@ -1,4 +1,2 @@\n"
              "-{\"a\":1,\n-\"a\":1},\n-{\"a\":1,\n-\"a\":1},\n+{\"a\":1},\n+{\"a\":1},\n");
    constexpr std::size_t kPairs = 40000;
    const auto [text, edits] = chain(kPairs);
    const std::clock_t started = std::clock();
    const std::string diff = unifiedDiff(text, edits, "f");
    const double seconds = static_cast<double>(std::clock() - started) / CLOCKS_PER_SEC;
    // Generous for sanitizer builds; re-building each merged block took
    // minutes here.
    EXPECT_LT(seconds, 5.0);
    const std::string header = "--- a/f\n+++ b/f\n@@ -1,80000 +1,40000 @@\n";
    EXPECT_EQ(diff.substr(0, header.size()), header);
    // Each pair: its two lines removed, one line in their place.
    EXPECT_EQ(diff.size(), header.size() + kPairs * (2 + pair.size() + 10));
}

TEST(Arguments, FixAndDiffAreChecksOnly) {
    EXPECT_EQ(parseArguments({"--fix", "a.json"}).commandLine.fix, FixMode::Apply);
    EXPECT_EQ(parseArguments({"--diff", "a.json"}).commandLine.fix, FixMode::Diff);
    EXPECT_EQ(parseArguments({"--fix", "--diff", "a.json"}).error,
              "--fix and --diff cannot be combined");
    EXPECT_EQ(parseArguments({"--fix", "--explain", "schema"}).error,
              "--fix applies to checks only");
    EXPECT_EQ(parseArguments({"--diff", "--format", "json", "a.json"}).error,
              "--diff prints a diff and takes no --format");
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
