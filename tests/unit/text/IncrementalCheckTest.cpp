#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include <orvexconfigvalidate/IncrementalCheck.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "ConfigGenerator.hpp"

namespace OrvexConfigValidate {
namespace {

using Place = std::tuple<std::size_t, std::size_t, std::size_t, std::size_t>;
using Summary =
    std::tuple<std::string, int, std::string, std::string, std::string, Place, Place, std::string>;

Place placeOf(const TextLocation& location) {
    return {location.offset, location.length, location.line, location.column};
}

// Every fix with every edit, spelled out.
std::string fixesOf(const Issue& issue) {
    std::string out;
    for (const Fix& fix : issue.fixes) {
        out += fix.title + (fix.safe ? " (safe):" : ":");
        for (const TextEdit& edit : fix.edits) {
            out += " " + std::to_string(edit.offset) + "+" + std::to_string(edit.length) + "=" +
                   edit.newText;
        }
        out += ";";
    }
    return out;
}

// Everything a diagnostic is made of, in a canonical order.
std::vector<Summary> summary(const std::vector<Issue>& issues, int source) {
    std::vector<Summary> out;
    for (const auto& issue : issues) {
        if (issue.source != source) continue;
        out.emplace_back(issue.code, static_cast<int>(issue.severity), issue.message, issue.pointer,
                         issue.id, placeOf(issue.location), placeOf(issue.related), fixesOf(issue));
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

class IncrementalCheckTest : public ::testing::Test {
  protected:
    Validator validator;
    ValidateOptions options;
    IncrementalCheck check;
    std::string serverText;
    std::string text = generateBridgingConfiguration(30);
    std::size_t fixesSeen = 0;

    ValidationResult full(const std::string& bridges) const {
        return serverText.empty()
                   ? validator.validateText("BridgingConfiguration", bridges, options)
                   : validator.validateTextPair(serverText, bridges, options);
    }
    int source() const { return serverText.empty() ? 0 : 1; }

    void start() { ASSERT_TRUE(check.remember(text, full(text), source(), serverText, options)); }

    // Applies an edit that stays inside one element; the carried result
    // must be the whole check's.
    void expectCarried(const std::string& edited, std::size_t minimumIssues = 0) {
        const auto carried = check.update(text, edited, serverText, validator, options);
        ASSERT_TRUE(carried.has_value()) << "edit not carried";
        const ValidationResult whole = full(edited);
        EXPECT_EQ(summary(*carried, source()), summary(whole.issues, source()));
        EXPECT_GE(summary(whole.issues, source()).size(), minimumIssues);
        for (const Issue& issue : whole.issues) fixesSeen += issue.fixes.size();
        text = edited;
    }

    void expectNotCarried(const std::string& edited) {
        EXPECT_FALSE(check.update(text, edited, serverText, validator, options).has_value());
    }

    // A series of edits, each inside one group or bridge.
    void runEdits() {
        start();
        // A clashing type, then a schema error inside a vortapoint.
        expectCarried(
            replaced(text, "\"id\": \"{grp-7}\", \"type\": 1", "\"id\": \"{grp-7}\", \"type\": 3"),
            1);
        expectCarried(replaced(text, "\"port\": 7443", "\"port\": -7443"), 2);
        // A duplicate id, and a bridge whose group then goes missing.
        expectCarried(replaced(text, "\"id\": \"{grp-12}\"", "\"id\": \"{grp-11}\""), 3);
        // Lines and multi-byte characters added inside a group move
        // everything after it.
        expectCarried(
            replaced(text, "\"name\": \"Talk group 3\"",
                     "\"name\": \"T\xC3\xA4lk \xF0\x9F\x93\xBB\",\n\n     \"extra\": [1,\n2]"));
        // Inside a bridge: an undefined and a non-string group entry.
        expectCarried(replaced(text, "\"groups\": [\"{grp-20}\"",
                               "\"groups\": [\"{nope}\", 5, \"{grp-20}\""));
        // A duplicate member inside a group, then everything fixed again.
        expectCarried(replaced(text, "\"type\": 1, \"name\": \"Talk group 25\"",
                               "\"type\": 1, \"type\": 2, \"name\": \"Talk group 25\""));
        expectCarried(replaced(text, "\"port\": -7443", "\"port\": 7443"));
        expectCarried(replaced(text,
                               "\"id\": \"{grp-11}\", \"type\": 1, \"name\": \"Talk group 12\"",
                               "\"id\": \"{grp-12}\", \"type\": 1, \"name\": \"Talk group 12\""));
        // A member written twice whose name reads like a line number, then
        // lines added before it (lone CR and CR LF among them): the message
        // names the new line of its first occurrence, made anew, not patched.
        expectCarried(replaced(text, "\"name\": \"Talk group 26\"",
                               "\"name\": \"Talk group 26\", \"line 1\": 1,\r\n \"line 1\": 2"),
                      1);
        expectCarried(replaced(text, "\"name\": \"Talk group 2\"",
                               "\"name\": \"Talk group 2\",\r\r\n\n \"x\": 1"));
    }
};

TEST_F(IncrementalCheckTest, EditsOfABridgesFileAloneMatchTheWholeCheck) {
    runEdits();
}

TEST_F(IncrementalCheckTest, EditsOfAPairedBridgesFileMatchTheWholeCheck) {
    serverText = generateServerConfiguration(2);
    runEdits();
}

// Every group draws a fix there, so each edit moves fixes after it.
TEST_F(IncrementalCheckTest, FixesUnderForcingServerModesMatchTheWholeCheck) {
    for (const int mode : {0, 2}) {
        serverText = generateServerConfiguration(mode);
        text = generateBridgingConfiguration(30);
        runEdits();
    }
    EXPECT_GT(fixesSeen, 0U);
}

TEST_F(IncrementalCheckTest, SuggestedFixesOfStrictChecksMatchTheWholeCheck) {
    options.strict = true;
    runEdits();
    fixesSeen = 0;
    // A reference with one close id, and a member with one close name.
    expectCarried(replaced(text, "\"groups\": [\"{grp-14}\"", "\"groups\": [\"{GRP-14}\""), 1);
    expectCarried(replaced(text, "\"name\": \"Talk group 5\"", "\"nmae\": \"Talk group 5\""), 2);
    EXPECT_GE(fixesSeen, 2U);
}

TEST_F(IncrementalCheckTest, EditsThatLeaveOneElementAreNotCarried) {
    start();
    // Two groups joined, a new group added, an element left broken, the
    // opening brace of a group changed.
    expectNotCarried(
        replaced(text, "}},\n    {\"id\": \"{grp-5}\"", "}, \"x\": {\"id\": \"{grp-5}\""));
    expectNotCarried(replaced(text, "\"groups\": [", "\"groups\": [{\"id\": \"n\", \"type\": 3},"));
    expectNotCarried(replaced(text, "\"name\": \"Talk group 4\"", "\"name\": \"Talk group 4"));
    expectNotCarried(replaced(text, "    {\"id\": \"{grp-6}\"", "    [\"id\", \"{grp-6}\""));
    // The server text changed: the cross-file rules depend on it.
    const std::string server = generateServerConfiguration(1);
    EXPECT_FALSE(check
                     .update(text, replaced(text, "Talk group 9", "Talk group nine"), server,
                             validator, options)
                     .has_value());
    // A previous text other than the one remembered, even of the same size
    // and one byte apart: the state does not describe it.
    std::string other = text;
    other[other.size() / 2] = other[other.size() / 2] == ' ' ? '\t' : ' ';
    EXPECT_FALSE(check
                     .update(other, replaced(other, "Talk group 9", "Talk group nine"), serverText,
                             validator, options)
                     .has_value());
    // Unchanged state: a good edit is still carried.
    expectCarried(replaced(text, "Talk group 9", "Talk group nine"));
}

TEST_F(IncrementalCheckTest, TextsWhoseIssuesCannotBeCarriedAreNotTaken) {
    EXPECT_FALSE(check.remember("{\"groups\": 5}", full("{\"groups\": 5}"), 0, "", options));
    EXPECT_FALSE(check.remember("{\"groups\": [", full("{\"groups\": ["), 0, "", options));
    const std::string rootIssue = "{\"groups\": [], \"bridges\": {}}";
    EXPECT_FALSE(check.remember(rootIssue, full(rootIssue), 0, "", options));
    EXPECT_FALSE(
        IncrementalCheck::applies(ValidateOptions{false, false, "/schemas", false}, false));
    EXPECT_TRUE(IncrementalCheck::applies(ValidateOptions{}, true));
}

}  // namespace
}  // namespace OrvexConfigValidate
