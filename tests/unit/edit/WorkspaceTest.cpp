#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <memory>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>
#include <orvexconfigvalidate/Workspace.hpp>

#include "ConfigGenerator.hpp"
#include "json/LeanDocument.hpp"
#include "json/ParsedTextAccess.hpp"

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

// The text without [from, to) where `from` and `to` are the first places
// of two markers (the second searched after the first).
std::string cut(std::string text, const std::string& from, const std::string& to) {
    const std::size_t start = text.find(from);
    const std::size_t end = start == std::string::npos ? start : text.find(to, start + 1);
    EXPECT_NE(end, std::string::npos) << from << " .. " << to;
    if (end != std::string::npos) text.erase(start, end - start);
    return text;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The one ranged edit an editor sends for the change from one text to the
// other.
TextEdit editBetween(const std::string& before, const std::string& after) {
    const std::size_t limit = std::min(before.size(), after.size());
    std::size_t from = 0;
    while (from < limit && before[from] == after[from]) ++from;
    std::size_t tail = 0;
    while (tail < limit - from &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return {from, before.size() - tail - from, after.substr(from, after.size() - tail - from)};
}

// A carried version's document must be the one a read of its text makes:
// the same nodes, line starts and unescaped strings.
void expectReadAfresh(const ParsedText& carried, const std::string& text) {
    const ParsedText fresh = parseTextLeanOver(text);
    const LeanDocument* mine = leanDocumentOf(carried);
    const LeanDocument* read = leanDocumentOf(fresh);
    ASSERT_NE(mine, nullptr);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(mine->text(), text);
    EXPECT_EQ(mine->index().lineStarts, read->index().lineStarts);
    const std::vector<TextNode>& nodes = mine->index().nodes;
    const std::vector<TextNode>& expected = read->index().nodes;
    ASSERT_EQ(nodes.size(), expected.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const auto fields = [](const TextNode& node) {
            return std::make_tuple(node.start, node.end, node.keyField,
                                   static_cast<std::uint32_t>(node.rank), node.kind());
        };
        ASSERT_EQ(fields(nodes[i]), fields(expected[i])) << "node " << i;
    }
    EXPECT_EQ(mine->unescaped().quotes, read->unescaped().quotes);
    EXPECT_TRUE(std::equal(mine->unescaped().values.begin(), mine->unescaped().values.end(),
                           read->unescaped().values.begin(), read->unescaped().values.end()));
}

// Versions of one bridges text in a workspace that carries every edit it
// can; each version's result must be what a whole check of its text gives.
class WorkspaceCarryTest : public ::testing::Test {
  protected:
    Validator validator;
    ValidateOptions options;
    std::unique_ptr<Workspace> workspace;
    const std::string key = "file:///deployment/bridges.json";
    std::int64_t version = 0;
    std::string serverText;
    std::string text = generateBridgingConfiguration(30);
    std::size_t fixesSeen = 0;
    std::size_t edits = 0;  // since the test began, to name a failing one

    ValidationResult full(const std::string& bridges) const {
        return serverText.empty()
                   ? validator.validateText("BridgingConfiguration", bridges, options)
                   : validator.validateTextPair(serverText, bridges, options);
    }
    int source() const { return serverText.empty() ? 0 : 1; }
    CheckPlan plan() const {
        CheckPlan made{kBridgesSchemaId, std::nullopt};
        if (!serverText.empty()) made.partner = PairedText{"", serverText, true};
        return made;
    }
    // The snapshot of a new version of the text, sent as an editor that
    // syncs by ranges does.
    std::shared_ptr<const Snapshot> submit(const std::string& edited) {
        EXPECT_TRUE(workspace->edit(key, {editBetween(*workspace->text(key), edited)}, ++version));
        return workspace->check(key, plan()).front();
    }

    // Every text is carried, however small.
    void start() {
        workspace = std::make_unique<Workspace>(WorkspaceOptions{options, 0});
        workspace->open(key, text, ++version);
        const auto first = workspace->check(key, plan()).front();
        ASSERT_FALSE(first->carried());
        ASSERT_EQ(summary(first->result().issues, source()), summary(full(text).issues, source()));
    }

    // Applies an edit inside one element or across elements of one array;
    // the carried result must be the whole check's.
    void expectCarried(const std::string& edited, std::size_t minimumIssues = 0) {
        ++edits;
        const auto made = submit(edited);
        ASSERT_TRUE(made->carried()) << "edit " << edits << " not carried";
        ASSERT_EQ(made->version(), version);
        const ValidationResult whole = full(edited);
        EXPECT_EQ(summary(made->result().issues, source()), summary(whole.issues, source()));
        EXPECT_GE(summary(whole.issues, source()).size(), minimumIssues);
        expectReadAfresh(made->parsed(), edited);
        for (const Issue& issue : whole.issues) fixesSeen += issue.fixes.size();
        text = edited;
    }

    // Checked whole, with the whole check's result; the text to edit next
    // stays the one before.
    void expectNotCarried(const std::string& edited) {
        const auto made = submit(edited);
        EXPECT_FALSE(made->carried());
        EXPECT_EQ(summary(made->result().issues, source()), summary(full(edited).issues, source()));
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

    // Edits across elements of one array: elements added, removed, joined,
    // and the later elements' issues renumbered.
    void runEditsAcross() {
        start();
        // A group at the start, one with a schema error in the middle, one
        // whose id is taken at the end.
        expectCarried(
            replaced(text, "\"groups\": [", "\"groups\": [{\"id\": \"n\", \"type\": 3},"));
        expectCarried(
            replaced(text, "\n    {\"id\": \"{grp-9}\"",
                     "\n    {\"id\": \"bad\", \"type\": \"x\"},\n    {\"id\": \"{grp-9}\""),
            1);
        expectCarried(replaced(text, "\n  ],\n  \"bridges\"",
                               ",\n    {\"id\": \"{grp-0}\", \"type\": 1}\n  ],\n  \"bridges\""),
                      1);
        // An element's issue after the new ones, and edits inside elements
        // that moved.
        expectCarried(replaced(text, "\"port\": 7443", "\"port\": -7443"), 2);
        expectCarried(replaced(text, "\"name\": \"Talk group 20\"", "\"nmae\": \"Talk group 20\""),
                      3);
        // Two groups joined into one, a group and a bridge removed with
        // their commas, a blank line between two groups.
        expectCarried(replaced(
            replaced(text, "}},\n    {\"id\": \"{grp-5}\"", "}, \"x\": {\"id\": \"{grp-5}\""),
            "\"port\": 40005}}", "\"port\": 40005}}}"));
        // A group inserted before another whose text it starts like.
        expectCarried(replaced(text, "{\"id\": \"{grp-7}\"",
                               "{\"id\": \"{grp-70}\", \"type\": 1},\n    {\"id\": \"{grp-7}\""));
        expectCarried(cut(text, "    {\"id\": \"{grp-3}\"", "    {\"id\": \"{grp-4}\""));
        expectCarried(cut(text, "    {\"id\": \"{brg-7}\"", "    {\"id\": \"{brg-8}\""));
        expectCarried(
            replaced(text, "\n    {\"id\": \"{grp-12}\"", "\n\n    {\"id\": \"{grp-12}\""));
        // Every bridge but one removed: from the first to the last.
        expectCarried(cut(text, "    {\"id\": \"{brg-0}\"", "    {\"id\": \"{brg-29}\""));
        expectCarried(replaced(text, "\"name\": \"Talk group 21\"", "\"name\": 21"), 1);
    }
};

TEST_F(WorkspaceCarryTest, EditsAcrossElementsMatchTheWholeCheck) {
    runEditsAcross();
    serverText = generateServerConfiguration(2);
    text = generateBridgingConfiguration(30);
    runEditsAcross();
}

// Places beside which a number could grow: after a closing brace or a
// digit, before an opening brace, a digit or a sign, and in indentation.
std::vector<std::size_t> numberEdges(const std::string& text) {
    const auto oneOf = [](char c, const char* set) { return std::strchr(set, c) != nullptr; };
    std::vector<std::size_t> edges;
    for (std::size_t at = 1; at < text.size(); ++at) {
        const char before = text[at - 1];
        const char here = text[at];
        if ((oneOf(before, "}0123456789") && oneOf(here, ",\n ]")) ||
            (oneOf(before, " \n[,") && oneOf(here, "{-0123456789")) ||
            (before == '\n' && here == ' ')) {
            edges.push_back(at);
        }
    }
    return edges;
}

// Random edits of the kinds an editor makes: elements copied elsewhere,
// removed, single bytes changed anywhere, and digits, signs, dots and
// exponents typed at the edges of elements (some of them numbers), where
// they could join a neighbour into one number. Whatever is carried must be
// what the whole check gives; what is not is remembered afresh.
TEST_F(WorkspaceCarryTest, RandomEditsCarriedMatchTheWholeCheck) {
    std::mt19937 random(20261209);
    text = replaced(replaced(generateBridgingConfiguration(12), "\"groups\": [\n",
                             "\"groups\": [\n    7,\n    -2.5e1,\n"),
                    "\"bridges\": [\n", "\"bridges\": [\n    17,\n");
    start();
    const std::vector<std::string> typed = {"1", "0", "-", "+", ".5", "e5", "9e", "E-", "1."};
    const std::string starts = "\n    {\"id\"";
    std::size_t carried = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<std::size_t> elements;
        for (std::size_t at = text.find(starts); at != std::string::npos;
             at = text.find(starts, at + 1)) {
            elements.push_back(at);
        }
        std::string edited = text;
        const auto pick = [&random](std::size_t count) {
            return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
        };
        const unsigned kind = static_cast<unsigned>(pick(4));
        if (kind == 3) {
            const std::vector<std::size_t> edges = numberEdges(text);
            edited.insert(edges[pick(edges.size())], typed[pick(typed.size())]);
        } else if (kind < 2 && elements.size() > 2) {
            // One element's text with the comma before it, copied or cut.
            const std::size_t which = 1 + pick(elements.size() - 2);
            const std::size_t from = elements[which] - 1;
            const std::size_t to = elements[which + 1] - 1;
            const std::string piece = text.substr(from, to - from);
            if (kind == 0) {
                edited.insert(elements[pick(elements.size() - 1) + 1] - 1, piece);
            } else {
                edited.erase(from, to - from);
            }
        } else {
            const char bytes[] = {'{', '}', '[', ']', ',', ':', '"', '1', ' ', 'x', '\n'};
            edited[pick(edited.size())] = bytes[pick(sizeof bytes)];
        }
        const auto made = submit(edited);
        const ValidationResult whole = full(edited);
        ASSERT_EQ(summary(made->result().issues, source()), summary(whole.issues, source()))
            << "round " << round;
        if (made->carried()) ++carried;
        if (!made->parsed().ok() || !made->parsed().toJson().is_object()) {
            // A text broken for good would end the test's reach: the edit
            // is taken back, and the next version is the one before it.
            ASSERT_FALSE(submit(text)->carried());
            continue;
        }
        text = edited;
    }
    EXPECT_GT(carried, 100U);
}

// Hostile elements pasted between two groups: nested 100,000 deep, a name
// with NUL and control characters escaped, a raw control byte, bytes that
// are not UTF-8. Carried or not, what is given must be the whole check's.
TEST_F(WorkspaceCarryTest, HostileElementsAddedMatchTheWholeCheckOrAreNotCarried) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::vector<std::string> pasted = {
        deep,
        "{\"id\": \"a\\u0000b\\u001b[31m\", \"type\": 1}",
        "{\"id\": \"a\x01b\", \"type\": 1}",
        "{\"id\": \"\xC3\x28\xFF\", \"type\": 1}",
    };
    std::size_t carriedCount = 0;
    for (const std::string& element : pasted) {
        text = generateBridgingConfiguration(30);
        start();
        const std::string edited = replaced(text, "\n    {\"id\": \"{grp-9}\"",
                                            "\n    " + element + ",\n    {\"id\": \"{grp-9}\"");
        const auto made = submit(edited);
        EXPECT_EQ(summary(made->result().issues, source()), summary(full(edited).issues, source()))
            << element.substr(0, 40);
        if (made->carried()) ++carriedCount;
    }
    // The escaped name is good JSON: at least that paste is carried.
    EXPECT_GE(carriedCount, 1U);
}

TEST_F(WorkspaceCarryTest, EditsOfABridgesFileAloneMatchTheWholeCheck) {
    runEdits();
}

TEST_F(WorkspaceCarryTest, EditsOfAPairedBridgesFileMatchTheWholeCheck) {
    serverText = generateServerConfiguration(2);
    runEdits();
}

// Every group draws a fix there, so each edit moves fixes after it.
TEST_F(WorkspaceCarryTest, FixesUnderForcingServerModesMatchTheWholeCheck) {
    for (const int mode : {0, 2}) {
        serverText = generateServerConfiguration(mode);
        text = generateBridgingConfiguration(30);
        runEdits();
    }
    EXPECT_GT(fixesSeen, 0U);
}

TEST_F(WorkspaceCarryTest, SuggestedFixesOfStrictChecksMatchTheWholeCheck) {
    options.strict = true;
    runEdits();
    fixesSeen = 0;
    // A reference with one close id, and a member with one close name.
    expectCarried(replaced(text, "\"groups\": [\"{grp-14}\"", "\"groups\": [\"{GRP-14}\""), 1);
    expectCarried(replaced(text, "\"name\": \"Talk group 5\"", "\"nmae\": \"Talk group 5\""), 2);
    EXPECT_GE(fixesSeen, 2U);
}

// A byte-order mark and CR LF line ends: the carried issues, their places
// and the carried document are a whole read's.
TEST_F(WorkspaceCarryTest, TextsWithAByteOrderMarkOrCrLfLinesMatchTheWholeCheck) {
    for (const bool crlf : {false, true}) {
        for (const bool mark : {false, true}) {
            if (!crlf && !mark) continue;
            std::string made = generateBridgingConfiguration(30);
            for (std::size_t at = made.find('\n'); crlf && at != std::string::npos;
                 at = made.find('\n', at + 2)) {
                made.insert(at, "\r");
            }
            text = (mark ? std::string(kByteOrderMark) : std::string()) + made;
            runEdits();
        }
    }
}

// Several ranged edits, in one message and in one more before the check:
// the stretch they name together is carried, across the elements between
// them when they lie in two. A whole text sent instead is checked whole.
TEST_F(WorkspaceCarryTest, EditsNamedTogetherAreCarriedAndAWholeTextIsNot) {
    start();
    const std::string third = "\"name\": \"Talk group 3\"";
    const std::string fifth = "\"name\": \"Talk group 5\"";
    // The later place first, so that the earlier one's offset holds.
    ASSERT_TRUE(workspace->edit(key,
                                {{text.find(fifth), fifth.size(), "\"name\": 5"},
                                 {text.find(third), third.size(), "\"nmae\": \"x\""}},
                                ++version));
    const std::string both =
        replaced(replaced(text, fifth, "\"name\": 5"), third, "\"nmae\": \"x\"");
    ASSERT_EQ(*workspace->text(key), both);
    const std::string edited = replaced(both, "\"port\": 7443", "\"port\": -7443");
    ASSERT_TRUE(workspace->edit(key, {editBetween(both, edited)}, ++version));
    const auto made = workspace->check(key, plan()).front();
    EXPECT_TRUE(made->carried());
    const ValidationResult whole = full(edited);
    EXPECT_EQ(summary(made->result().issues, source()), summary(whole.issues, source()));
    EXPECT_GE(whole.issues.size(), 2U);
    expectReadAfresh(made->parsed(), edited);
    text = edited;
    ASSERT_TRUE(
        workspace->replace(key, replaced(text, "Talk group 9", "Talk group nine"), ++version));
    EXPECT_FALSE(workspace->check(key, plan()).front()->carried());
}

TEST_F(WorkspaceCarryTest, EditsOutsideTheArraysOrBreakingThemAreNotCarried) {
    start();
    // An element left broken, the opening brace of a group changed, a
    // member added beside the arrays, the two arrays made one.
    expectNotCarried(replaced(text, "\"name\": \"Talk group 4\"", "\"name\": \"Talk group 4"));
    expectNotCarried(replaced(text, "    {\"id\": \"{grp-6}\"", "    [\"id\", \"{grp-6}\""));
    expectNotCarried(replaced(text, "{\n  \"groups\": [", "{\n  \"x\": 1,\n  \"groups\": ["));
    expectNotCarried(replaced(text, "\n  ],\n  \"bridges\": [\n", ",\n"));
    // A comma missing between two new groups.
    expectNotCarried(
        replaced(text, "\"groups\": [", "\"groups\": [{\"id\": \"a\"} {\"id\": \"b\"},"));
    // The server text changed: the cross-file rules depend on it.
    ASSERT_FALSE(submit(text)->carried());
    serverText = generateServerConfiguration(1);
    expectNotCarried(replaced(text, "Talk group 9", "Talk group nine"));
    // The state made by that check carries the next edit.
    expectCarried(replaced(text, "Talk group 8", "Talk group eight"));
}

// A result that an edit could not carry (an issue of the whole document, a
// broken text), and options under which nothing is carried: each edit is
// checked whole, with the whole check's result.
TEST_F(WorkspaceCarryTest, TextsWhoseIssuesCannotBeCarriedAreCheckedWhole) {
    for (const std::string& base : {std::string("{\"groups\": 5, \"bridges\": [{\"id\": \"a\"}]}"),
                                    std::string("{\"groups\": [{\"id\": \"a\"}], \"bridges\": {}}"),
                                    std::string("{\"groups\": [{\"id\": \"a\"}]")}) {
        text = base;
        start();
        expectNotCarried(replaced(text, "\"a\"", "\"ab\""));
    }
    text = generateBridgingConfiguration(30);
    for (const bool strictPair : {false, true}) {
        options = ValidateOptions{};
        if (strictPair) {
            options.strict = true;
            serverText = generateServerConfiguration(2);
        } else {
            options.schemaDir = "/nowhere";
        }
        start();
        expectNotCarried(replaced(text, "Talk group 9", "Talk group nine"));
    }
}

// A snapshot read while later versions are carried (a feature still
// answering) keeps its own text, parse, model and result: the next version
// copies the model rather than taking it. Let go of, it is taken.
TEST_F(WorkspaceCarryTest, ASnapshotStillReadIsNotChangedByLaterVersions) {
    start();
    const std::shared_ptr<const Snapshot> held = workspace->snapshot(key);
    const std::string heldText = text;
    const std::string heldDocument = held->parsed().toJson().dump();
    const std::size_t heldIssues = held->result().issues.size();
    expectCarried(
        replaced(text, "\"id\": \"{grp-7}\", \"type\": 1", "\"id\": \"{grp-7}\", \"type\": 3"), 1);
    expectCarried(replaced(text, "\"name\": \"Talk group 3\"", "\"name\": \"Talk group three\""));
    EXPECT_EQ(held->text(), heldText);
    EXPECT_EQ(held->parsed().toJson().dump(), heldDocument);
    EXPECT_EQ(held->result().issues.size(), heldIssues);
    ASSERT_NE(held->configuration(), nullptr);
    EXPECT_EQ(held->configuration()->groups().size(), 30U);
    const auto latest = workspace->snapshot(key);
    EXPECT_NE(latest->parsed().toJson().dump(), heldDocument);
    EXPECT_EQ(workspace->carriedVersions(), 2U);
}

// A ranged edit lets go of the version before (its model goes to the carry)
// before the edited text is made. That version, asked for before the next
// check after its parse and model were read once, still reads its own text;
// the edit is carried as any other.
TEST_F(WorkspaceCarryTest, AVersionLetGoOfAtARangedEditStillReadsItsOwnText) {
    for (const bool paired : {false, true}) {
        serverText = paired ? generateServerConfiguration(2) : "";
        text = generateBridgingConfiguration(30);
        start();
        ASSERT_NE(workspace->snapshot(key)->configuration(), nullptr);
        for (const auto& [from, to] :
             {std::pair<std::string, std::string>{"\"port\": 7443", "\"port\": -7443"},
              {"\"name\": \"Talk group 3\"", "\"name\": 3"}}) {
            const std::size_t at = text.find(from);
            ASSERT_NE(at, std::string::npos);
            ASSERT_TRUE(workspace->edit(key, {{at, from.size(), to}}, ++version));
            const auto before = workspace->snapshot(key);
            ASSERT_EQ(before->version(), version - 1);
            EXPECT_EQ(before->text(), text);
            EXPECT_TRUE(before->parsed().toJson() == parseText(text).toJson());
            ASSERT_NE(before->configuration(), nullptr);
            EXPECT_EQ(before->configuration()->groups()[3].name, "Talk group 3");
            const std::string edited = replaced(text, from, to);
            const auto made = workspace->check(key, plan()).front();
            EXPECT_TRUE(made->carried()) << from;
            EXPECT_EQ(made->text(), edited);
            EXPECT_EQ(summary(made->result().issues, source()),
                      summary(full(edited).issues, source()));
            text = edited;
        }
    }
}

// Groups added one by one: the elements read since the version checked
// whole grow until, past their bound (64 KiB here), one edit is checked
// whole and makes a new base; the edits after it are carried again.
TEST_F(WorkspaceCarryTest, ElementsReadSinceTheBaseAreBoundedByANewBase) {
    start();
    std::size_t whole = 0;
    for (int i = 0; i < 300; ++i) {
        const std::string group = "{\"id\": \"n" + std::to_string(i) +
                                  "\", \"type\": 1, \"name\": \"" + std::string(200, 'x') + "\"},";
        const std::string edited = replaced(text, "\"groups\": [", "\"groups\": [" + group);
        const auto made = submit(edited);
        ASSERT_EQ(summary(made->result().issues, source()), summary(full(edited).issues, source()))
            << "group " << i;
        whole += made->carried() ? 0 : 1;
        text = edited;
    }
    EXPECT_EQ(whole, 1U);
}

// An open server file and an open bridges file: one check makes both
// snapshots, which share its result; the same version under the same plan
// is not checked again, and a new version of the partner is.
TEST(Workspace, APairIsCheckedOnceForBothOpenFiles) {
    Workspace workspace;
    const std::string server = "file:///d/orvexbridged_conf.json";
    const std::string bridges = "file:///d/bridges.json";
    workspace.open(server, "{\"mode\": 2, \"enginePolicy\": {}}", 1);
    workspace.open(bridges, "{\"groups\": [{\"id\": \"g\", \"type\": 3, \"tx\": {\"p\": 1}}]}", 1);
    const CheckPlan plan{kServerSchemaId, PairedText{bridges, "", false}};
    const auto made = workspace.check(server, plan);
    ASSERT_EQ(made.size(), 2U);
    EXPECT_EQ(&made[0]->result(), &made[1]->result());
    EXPECT_EQ(made[0]->source(), 0);
    EXPECT_EQ(made[1]->source(), 1);
    EXPECT_EQ(made[1]->key(), bridges);
    EXPECT_EQ(made[1]->schemaId(), kBridgesSchemaId);
    bool raw = false;
    for (const Issue& issue : made[1]->result().issues) {
        raw = raw || (issue.source == 1 && issue.code == IssueCode::kModeRequiresAudioGroup);
    }
    EXPECT_TRUE(raw);
    EXPECT_EQ(workspace.check(server, plan).front(), made[0]);
    ASSERT_TRUE(workspace.replace(bridges, "{\"groups\": []}", 2));
    const auto again = workspace.check(server, plan);
    ASSERT_EQ(again.size(), 2U);
    EXPECT_NE(again.front(), made[0]);
    EXPECT_EQ(again[1]->version(), 2);
    EXPECT_EQ(workspace.snapshot(bridges), again[1]);
}

// Ranged edits in bytes, each in the text the ones before it left; one out
// of the text changes nothing.
TEST(Workspace, EditsApplyInOrderAndOneOutsideTheTextChangesNothing) {
    Workspace workspace;
    workspace.open("a", "{\"groups\": []}", 1);
    ASSERT_TRUE(workspace.edit("a", {{12, 0, "{}"}, {0, 1, "{ "}}, 2));
    EXPECT_EQ(*workspace.text("a"), "{ \"groups\": [{}]}");
    EXPECT_FALSE(workspace.edit("a", {{0, 1, "x"}, {40, 0, "y"}}, 3));
    EXPECT_EQ(*workspace.text("a"), "{ \"groups\": [{}]}");
    EXPECT_EQ(workspace.version("a"), 2);
    EXPECT_FALSE(workspace.edit("b", {}, 1));
    const auto made = workspace.check("a", CheckPlan{kBridgesSchemaId, std::nullopt});
    ASSERT_EQ(made.size(), 1U);
    EXPECT_EQ(made[0]->lines().lineCount(), 1U);
    workspace.close("a");
    EXPECT_EQ(workspace.snapshot("a"), nullptr);
    EXPECT_TRUE(workspace.check("a", CheckPlan{}).empty());
}

// A large text's next version is written into the room of a version no one
// reads any more, never into one still read; typing lengthens the text, and
// the room still fits.
TEST(Workspace, EditsOfALargeTextReuseTheRoomOfVersionsLetGoOf) {
    Workspace workspace;
    std::string text =
        "{\"groups\": [], \"pad\": \"" + std::string(std::size_t{2} << 20, 'x') + "\"}";
    workspace.open("a", text, 1);
    std::vector<const char*> rooms;
    std::shared_ptr<const std::string> held;
    for (std::int64_t version = 2; version <= 6; ++version) {
        ASSERT_TRUE(workspace.edit("a", {{1, 0, " "}}, version));
        text.insert(1, " ");
        rooms.push_back(workspace.text("a")->data());
        if (version == 4) held = workspace.text("a");
    }
    EXPECT_EQ(rooms[2], rooms[0]);  // version 4 in version 2's room
    EXPECT_EQ(rooms[3], rooms[1]);
    EXPECT_NE(rooms[4], rooms[2]);  // version 4 is still read
    EXPECT_EQ(*held, text.substr(0, 1) + text.substr(3));
    EXPECT_EQ(*workspace.text("a"), text);
}

}  // namespace
}  // namespace OrvexConfigValidate
