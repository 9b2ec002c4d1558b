// Features asked directly, on texts no scripted session would send.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "lsp/Completion.hpp"
#include "lsp/Features.hpp"
#include "lsp/FoldingRanges.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

struct Asked {
    Document document;
    Validator validator;
    nlohmann::json params;

    Asked(std::string text, std::string schemaId) {
        document.uri = "file:///x/bridges.json";
        document.schemaId = std::move(schemaId);
        document.setText(std::move(text));
    }
    nlohmann::json ask(Feature feature, std::size_t line = 0, std::size_t character = 0) {
        params = {{"textDocument", {{"uri", document.uri}}},
                  {"position", {{"line", line}, {"character", character}}}};
        const TextPositions positions(document.text);
        return feature({document, positions, validator, params});
    }
};

std::vector<std::pair<int, int>> folds(const nlohmann::json& ranges) {
    std::vector<std::pair<int, int>> out;
    for (const auto& range : ranges) out.emplace_back(range["startLine"], range["endLine"]);
    std::sort(out.begin(), out.end());
    return out;
}

TEST(FoldingRanges, ObjectsAndArraysOverLinesButNotBracketsInStrings) {
    Asked asked("{\n \"a\": [\n  1,\n  2\n ],\n \"s\": \"{[\\\"\",\n \"o\": {\n }\n}", "");
    EXPECT_EQ(folds(asked.ask(foldingRanges)), (std::vector<std::pair<int, int>>{{0, 7}, {1, 3}}));
}

TEST(FoldingRanges, AMillionLevelsDeepAndUnbalanced) {
    std::string deep = std::string(1000000, '[') + "\n" + std::string(999999, ']');
    Asked asked(std::move(deep), "");
    // Only the innermost pair spans a line break, and no line lies between.
    EXPECT_TRUE(asked.ask(foldingRanges).empty());
    Asked spread(std::string(300000, '[') + "\n\n" + std::string(300000, ']') + "}}", "");
    EXPECT_EQ(folds(spread.ask(foldingRanges)).size(), 300000u);
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
    const nlohmann::json all = asked.ask(completion, line, empty);
    EXPECT_TRUE(all["isIncomplete"].get<bool>());
    EXPECT_EQ(all["items"].size(), kMaxGroupIdItems);
    // "g1" typed: g1, g10-g19, g100-g199.
    const nlohmann::json some = asked.ask(completion, line, lastLine.find("g1") + 2);
    EXPECT_FALSE(some["isIncomplete"].get<bool>());
    EXPECT_EQ(some["items"].size(), 111u);
    for (const auto& item : some["items"]) {
        EXPECT_EQ(item["label"].get<std::string>().rfind("g1", 0), 0u) << item["label"];
    }
}

TEST(Completion, NothingAtTheTopLevelOrForAnUnknownSchema) {
    Asked top("  {}", "BridgingConfiguration");
    EXPECT_TRUE(top.ask(completion, 0, 1)["items"].empty());
    Asked unknown("{ }", "");
    EXPECT_TRUE(unknown.ask(completion, 0, 1)["items"].empty());
    Asked known("{ }", "BridgingConfiguration");
    EXPECT_FALSE(known.ask(completion, 0, 1)["items"].empty());
}

TEST(Completion, AMillionLevelsDeepIsReadOnce) {
    std::string deep;
    for (int i = 0; i < 1000000; ++i) deep += "{\"a\":";
    deep += "{";
    Asked asked(deep, "BridgingConfiguration");
    const nlohmann::json answer = asked.ask(completion, 0, deep.size());
    EXPECT_TRUE(answer["items"].empty());
    EXPECT_FALSE(answer["isIncomplete"].get<bool>());
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
