// Features asked directly, on texts no scripted session would send.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "lsp/Completion.hpp"
#include "lsp/Diagnostics.hpp"
#include "lsp/Features.hpp"
#include "lsp/FoldingRanges.hpp"
#include "lsp/ProtocolKinds.hpp"
#include "lsp/Replies.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

struct Asked {
    Workspace workspace;
    Document document;
    Validator validator;
    nlohmann::json params;

    Asked(std::string text, std::string schemaId) {
        document.uri = "file:///x/bridges.json";
        workspace.open(document.uri, std::move(text), 1);
        document.snapshot =
            workspace.check(document.uri, CheckPlan{schemaId, std::nullopt}).front();
    }
    // A feature answers with a value or with text; either is read as a value.
    template <typename Answer>
    nlohmann::json ask(Answer (*feature)(const FeatureContext&), std::size_t line = 0,
                       std::size_t character = 0) {
        params = {{"textDocument", {{"uri", document.uri}}},
                  {"position", {{"line", line}, {"character", character}}}};
        const TextPositions positions(document.text());
        return Result(feature({document, positions, validator, params})).parsed();
    }
    Completions complete(std::size_t line, std::size_t character) {
        const TextPositions positions(document.text());
        return completionsAt(document, positions.offsetOf({line, character}), validator);
    }
};

std::vector<std::pair<std::size_t, std::size_t>> folds(std::string_view text) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    for (const FoldingRange& range : foldingRanges(text)) {
        out.emplace_back(range.startLine, range.endLine);
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST(FoldingRanges, ObjectsAndArraysOverLinesButNotBracketsInStrings) {
    EXPECT_EQ(folds("{\n \"a\": [\n  1,\n  2\n ],\n \"s\": \"{[\\\"\",\n \"o\": {\n }\n}"),
              (std::vector<std::pair<std::size_t, std::size_t>>{{0, 7}, {1, 3}}));
}

TEST(FoldingRanges, AMillionLevelsDeepAndUnbalanced) {
    const std::string deep = std::string(1000000, '[') + "\n" + std::string(999999, ']');
    // Only the innermost pair spans a line break, and no line lies between.
    EXPECT_TRUE(folds(deep).empty());
    EXPECT_EQ(folds(std::string(300000, '[') + "\n\n" + std::string(300000, ']') + "}}").size(),
              300000u);
}

std::string manyGroups(int count) {
    std::string text = "{\"groups\": [\n";
    for (int i = 0; i < count; ++i) {
        text += "{\"id\": \"g" + std::to_string(i) + "\", \"type\": 1},\n";
    }
    return text + "{\"id\": \"last\", \"type\": 1}],\n\"bridges\": [{\"groups\": [\"g1\", \"\"]}]}";
}

TEST(Completion, GroupIdsAreCappedAndFilteredByWhatIsTyped) {
    const int count = 1000;
    Asked asked(manyGroups(count), "BridgingConfiguration");
    const std::size_t line = static_cast<std::size_t>(count) + 2;
    const std::string lastLine = "\"bridges\": [{\"groups\": [\"g1\", \"\"]}]}";
    const std::size_t empty = lastLine.find("\"\"") + 1;
    const Completions all = asked.complete(line, empty);
    EXPECT_TRUE(all.incomplete);
    EXPECT_EQ(all.items.size(), kMaxGroupIdItems);
    // "g1" typed: g1, g10-g19, g100-g199.
    const Completions some = asked.complete(line, lastLine.find("g1") + 2);
    EXPECT_FALSE(some.incomplete);
    EXPECT_EQ(some.items.size(), 111u);
    for (const CompletionItem& item : some.items) {
        EXPECT_EQ(item.label.rfind("g1", 0), 0u) << item.label;
    }
}

TEST(Completion, NothingAtTheTopLevelOrForAnUnknownSchema) {
    Asked top("  {}", "BridgingConfiguration");
    EXPECT_TRUE(top.complete(0, 1).items.empty());
    Asked unknown("{ }", "");
    EXPECT_TRUE(unknown.complete(0, 1).items.empty());
    Asked known("{ }", "BridgingConfiguration");
    EXPECT_FALSE(known.complete(0, 1).items.empty());
}

TEST(Completion, AMillionLevelsDeepIsReadOnce) {
    std::string deep;
    for (int i = 0; i < 1000000; ++i) deep += "{\"a\":";
    deep += "{";
    Asked asked(deep, "BridgingConfiguration");
    const Completions answer = asked.complete(0, deep.size());
    EXPECT_TRUE(answer.items.empty());
    EXPECT_FALSE(answer.incomplete);
}

// UTF-16 units of a well-formed UTF-8 text: one per character, two for
// those beyond the basic plane.
std::size_t utf16Length(const std::string& text) {
    std::size_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) ++units;
        if (byte >= 0xF0) ++units;
    }
    return units;
}

// The outline is written as text: names and ids with quotes, backslashes,
// control characters and characters beyond ASCII must read back as the
// model has them, and ranges on lines of such characters count UTF-16 units.
TEST(DocumentSymbols, EscapedNamesAndRangesReadBackAsTheModelHasThem) {
    const std::string groupLine =
        " {\"id\": \"q\\\"b\\\\\", \"name\": \"tab\\there \\u0001 "
        "\xC3\xBC\xF0\x9F\x98\x80 \\\"x\\\"\", \"type\": 1},";
    const std::string prefix = " {\"id\": \"\xC3\xA9\xF0\x9F\x98\x80\", \"type\": 2}, ";
    const std::string text = "{\"zz\": null, \"groups\": [\n" + groupLine + "\n" + prefix +
                             "{\"id\": \"\", \"type\": 99}],\n"
                             "\"bridges\": [{\"id\": \"b\\u00001\", \"enabled\": false, "
                             "\"groups\": [\"q\\\"b\\\\\"]}]}";
    Asked asked(text, "BridgingConfiguration");
    const nlohmann::json outline = asked.ask(documentSymbols);
    ASSERT_EQ(outline.size(), 3u) << outline.dump();
    // In the order of the text, not of the names.
    EXPECT_EQ(outline[0]["name"], "zz");
    EXPECT_EQ(outline[0]["kind"], SymbolKind::kNull);
    EXPECT_TRUE(outline[0]["children"].empty());
    EXPECT_EQ(outline[1]["name"], "groups");
    EXPECT_EQ(outline[1]["kind"], SymbolKind::kArray);
    EXPECT_EQ(outline[1]["detail"], "");
    EXPECT_EQ(outline[2]["name"], "bridges");

    const nlohmann::json& groups = outline[1]["children"];
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0]["name"], "tab\there \x01 \xC3\xBC\xF0\x9F\x98\x80 \"x\"");
    EXPECT_EQ(groups[0]["detail"], "id q\"b\\, " + std::string(groupTypeName(1)));
    EXPECT_EQ(groups[0]["kind"], SymbolKind::kStruct);
    EXPECT_EQ(groups[1]["name"], "\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(groups[2]["name"], "(unnamed)");
    EXPECT_EQ(groups[2]["detail"], "id , type 99");
    const nlohmann::json& bridges = outline[2]["children"];
    ASSERT_EQ(bridges.size(), 1u);
    // "b", a NUL and "1".
    const std::string id = std::string("b") + '\0' + "1";
    EXPECT_EQ(bridges[0]["name"], id);
    EXPECT_EQ(bridges[0]["detail"], "id " + id + ", disabled");
    EXPECT_EQ(bridges[0]["kind"], SymbolKind::kClass);

    // The third group follows an "é" and a "😀" on its line: 3 units for 6 bytes.
    const nlohmann::json third = {{"line", 2}, {"character", utf16Length(prefix)}};
    EXPECT_EQ(groups[2]["range"]["start"], third);
    EXPECT_EQ(groups[2]["selectionRange"]["start"], third);
    // Every range as the one-at-a-time conversion gives it.
    const TextPositions positions(asked.document.text());
    const ParsedText& parsed = asked.document.parsed();
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const TextLocation at = parsed.locate("/groups/" + std::to_string(g));
        EXPECT_EQ(groups[g]["range"], rangeBetween(at.offset, at.offset + at.length, positions));
        EXPECT_EQ(groups[g]["selectionRange"], rangeOf(at, asked.document.text(), positions));
    }
    // The groups section spans lines: its selection stops at its first line's end.
    EXPECT_EQ(outline[1]["range"]["end"]["line"], 2);
    EXPECT_EQ(outline[1]["selectionRange"]["end"]["line"], 0);
    EXPECT_EQ(outline[1]["selectionRange"]["end"]["character"],
              utf16Length(text.substr(0, text.find('\n'))));
}

TEST(DocumentSymbols, NothingForATextThatIsNoObject) {
    Asked array("[{\"groups\": []}]", "BridgingConfiguration");
    EXPECT_EQ(array.ask(documentSymbols), nlohmann::json::array());
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
