// The formatting answer, read back as an editor applies it: by UTF-16
// positions, on the text the server checked.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include <orvexconfigvalidate/Format.hpp>

#include "lsp/Features.hpp"
#include "lsp/RequestParams.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

struct FormattingCase {
    const char* name;
    const char* schemaId;  // the one the check uses
    std::string text;
    std::size_t edits;  // how many the answer holds
    // The UTF-16 column the edit starts at, where it matters; -1 otherwise.
    int startCharacter = -1;
};

// The edits of the answer applied from the last, as an editor does.
std::string applied(const std::string& text, const nlohmann::json& edits) {
    const TextPositions positions(text);
    std::string out = text;
    for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
        const nlohmann::json& range = (*edit)["range"];
        const std::size_t begin = positions.offsetOf(positionIn(range["start"], "start"));
        const std::size_t end = positions.offsetOf(positionIn(range["end"], "end"));
        out.replace(begin, end - begin, (*edit)["newText"].get<std::string>());
    }
    return out;
}

TEST(Formatting, AnswersTheEditThatGivesFmtsLayout) {
    const FormattingCase cases[] = {
        {"formatted already", "Group", "{\n  \"id\": \"g\",\n  \"type\": 1\n}\n", 0},
        {"laid out, but not in the order of the document's schema", "Group",
         "{\n  \"type\": 1,\n  \"id\": \"g\"\n}\n", 1},
        {"one line", kBridgesSchemaId, R"({"groups":[{"type":1,"id":"g"}],"bridges":[]})", 1},
        {"does not parse: never rewritten", "Group", "{\n\"type\": 1,\n\"id\": \"g\",\n", 0},
        {"byte-order mark and CRLF kept", "Group", "\xEF\xBB\xBF{\"type\":1,\r\n\"id\":\"g\"}\r\n",
         1},
        // U+1F4FB is two UTF-16 units and four bytes.
        {"columns in UTF-16", "", "{\n  \"name\": \"\xF0\x9F\x93\xBB\", \"id\": \"g\"\n}", 1, 15},
        // U+0424 and U+00E4 end in the same byte: a span cut at bytes would
        // split both characters.
        {"the edit ends between characters", "Group",
         "{\n  \"type\": \"\xD0\xA4\",\n  \"id\": \"\xC3\xA4\"\n}", 1},
    };
    for (const FormattingCase& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace workspace;
        const std::string uri = "file:///x/config.json";
        workspace.open(uri, c.text, 1);
        const Document document{uri, "", workspace.check(uri, CheckPlan{c.schemaId, {}}).front()};
        const TextPositions positions(document.text());
        const Validator validator;
        const nlohmann::json params = {{"textDocument", {{"uri", uri}}},
                                       {"options", {{"tabSize", 8}, {"insertSpaces", false}}}};
        const Feature feature = featureFor("textDocument/formatting");
        ASSERT_NE(feature, nullptr);
        // Through the text that goes on the wire: a new text must be UTF-8.
        const nlohmann::json edits =
            nlohmann::json::parse(feature({document, positions, validator, params}).serialised());
        ASSERT_TRUE(edits.is_array());
        EXPECT_EQ(edits.size(), c.edits);
        const FormatResult formatted = formatText(c.text, c.schemaId);
        EXPECT_EQ(applied(c.text, edits), formatted.ok ? formatted.text : c.text);
        if (c.startCharacter >= 0 && !edits.empty()) {
            EXPECT_EQ(edits[0]["range"]["start"],
                      (nlohmann::json{{"line", 1}, {"character", c.startCharacter}}));
        }
    }
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
