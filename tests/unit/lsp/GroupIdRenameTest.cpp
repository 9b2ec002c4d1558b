// Renames asked directly: which refusal wins when several apply, and the
// edits of those that go ahead.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "lsp/GroupIdRename.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

// g1 is defined twice and named by two bridge entries; g2 is defined once.
const std::string kText = R"({"groups": [{"id": "g1", "type": 1}, {"id": "g2", "type": 2},
 {"id": "g1", "type": 3}],
 "bridges": [{"id": "b", "groups": ["g1", "g2", "g1"]}]})";

struct Opened {
    Workspace workspace;
    Document document;

    explicit Opened(std::string text) {
        document.uri = "file:///x/bridges.json";
        workspace.open(document.uri, std::move(text), 1);
        document.snapshot =
            workspace.check(document.uri, CheckPlan{"BridgingConfiguration", std::nullopt}).front();
    }
};

// The text with every edit of the rename made.
std::string applied(std::string text, const RenameEdits& edits) {
    std::vector<TextLocation> places = edits.places;
    std::sort(places.begin(), places.end(),
              [](const TextLocation& a, const TextLocation& b) { return a.offset > b.offset; });
    for (const TextLocation& place : places)
        text.replace(place.offset, place.length, edits.newText);
    return text;
}

std::string replacedAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST(GroupIdRename, RefusalsInTheOrderTheyAreChecked) {
    const Opened opened(kText);
    const std::size_t onDefinition = kText.find("\"g1\"") + 1;
    const std::size_t onReference = kText.rfind("\"g1\"") + 2;
    const std::size_t onType = kText.find("\"type\": 1") + 8;
    const std::string longest(kLongestNewGroupId, 'x');
    const struct {
        std::size_t offset;
        std::string newId;
        std::string refusal;
    } cases[] = {
        // The new id is judged before the place, and its length before all.
        {onType, longest + "x", "a new group id is at most 1024 bytes long"},
        {onType, "", "there is no group id here"},
        {onType, "g3", "there is no group id here"},
        {onDefinition, "", "a group id cannot be empty"},
        {onReference, "g2", "a group already defines id 'g2'"},
        {onReference, longest, ""},
        {onReference, "g1", ""},
    };
    for (const auto& c : cases) {
        const GroupIdRename rename = renameGroupId(opened.document, c.offset, c.newId);
        EXPECT_EQ(rename.refusal, c.refusal) << c.offset << " to " << c.newId.substr(0, 8);
        EXPECT_EQ(rename.changes.size(), c.refusal.empty() ? 1u : 0u) << c.offset;
    }
    // Renamed to itself, nothing is edited; the document is still named.
    const GroupIdRename same = renameGroupId(opened.document, onReference, "g1");
    ASSERT_EQ(same.changes.size(), 1u);
    EXPECT_EQ(same.changes[0].uri, opened.document.uri);
    EXPECT_TRUE(same.changes[0].places.empty());
}

TEST(GroupIdRename, EveryDefinitionAndReferenceBecomesTheEscapedId) {
    const Opened opened(kText);
    for (const std::size_t offset : {kText.find("\"g1\"") + 2, kText.rfind("\"g1\"")}) {
        const GroupIdRename rename = renameGroupId(opened.document, offset, "a\"b\\");
        ASSERT_EQ(rename.changes.size(), 1u) << rename.refusal;
        EXPECT_EQ(rename.changes[0].places.size(), 4u);
        EXPECT_EQ(applied(kText, rename.changes[0]), replacedAll(kText, "\"g1\"", R"("a\"b\\")"))
            << offset;
    }
}

TEST(GroupIdRename, NothingToRenameInATextThatDoesNotParse) {
    const std::string broken = R"({"groups": [{"id": "g1", "type": 1}], "bridges": [)";
    const Opened opened(broken);
    EXPECT_EQ(renameGroupId(opened.document, broken.find("\"g1\"") + 1, "g2").refusal,
              "there is no group id here");
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
