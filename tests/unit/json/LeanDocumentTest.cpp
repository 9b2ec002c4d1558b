// The document against nlohmann's own reading of the same text: every
// value nlohmann holds, in its order, placed in the text.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>
#include <orvexconfigvalidate/Pointer.hpp>

#include "Differential.hpp"
#include "json/ParsedTextAccess.hpp"

namespace OrvexConfigValidate {
namespace {

using Json = nlohmann::json;

// The values of a view, counted by walking it.
std::uint64_t walkedCount(JsonView top) {
    std::uint64_t count = 0;
    std::vector<JsonView> pending{top};
    while (!pending.empty()) {
        const JsonView value = pending.back();
        pending.pop_back();
        ++count;
        for (const JsonView::Member member : value.members()) pending.push_back(member.value());
        for (const JsonView element : value.elements()) pending.push_back(element);
    }
    return count;
}

// The count from the index leaves replaced members out, at the root and in
// every subtree one level down.
void expectCountsAsWalked(const LeanDocument& lean, const Json& document) {
    const JsonView root(lean, LeanDocument::root());
    EXPECT_EQ(root.valueCount(), walkedCount(root));
    EXPECT_EQ(JsonView(document).valueCount(), walkedCount(root));
    for (const JsonView::Member member : root.members()) {
        EXPECT_EQ(member.value().valueCount(), walkedCount(member.value())) << member.name();
    }
    for (const JsonView element : root.elements()) {
        EXPECT_EQ(element.valueCount(), walkedCount(element));
    }
}

// Reads `text` and holds its document to nlohmann's own reading of it.
void expectSameReading(const std::string& text) {
    SCOPED_TRACE(text.size() < 200 ? text : text.substr(0, 200) + "...");
    const Json document = Json::parse(text);
    const Document parsed = parseText(text);
    ASSERT_TRUE(parsed.ok());
    for (const Issue& issue : parsed.issues()) EXPECT_EQ(issue.code, IssueCode::kDuplicateKey);
    const LeanDocument* lean = leanDocumentOf(parsed);
    ASSERT_NE(lean, nullptr);
    EXPECT_EQ(Differential::difference(document, *lean), "");
    expectCountsAsWalked(*lean, document);
    if (text.size() >= 4096) return;
    EXPECT_EQ(parsed.toJson(), document);
    // Every byte lies in a value the document names, which is placed.
    for (std::size_t offset = 0; offset <= text.size(); ++offset) {
        const std::string pointer = parsed.pointerAt(offset);
        ASSERT_NE(valueAt(document, pointer), nullptr) << offset << " " << pointer;
        ASSERT_TRUE(parsed.locate(pointer).known()) << offset;
    }
}

// A text the reader refuses: one parse error, and no value.
void expectRefused(const std::string& text) {
    SCOPED_TRACE(text);
    const Document parsed = parseText(text);
    EXPECT_FALSE(parsed.ok());
    ASSERT_EQ(parsed.issues().size(), 1U);
    EXPECT_EQ(parsed.issues()[0].code, IssueCode::kParseError);
    EXPECT_FALSE(parsed.root());
    EXPECT_TRUE(parsed.toJson().is_null());
}

TEST(LeanDocument, EdgeCasesReadAsTheDocument) {
    const std::vector<std::string> texts = {
        "null",
        "true",
        "false",
        "0",
        "-0",
        "-0.0",
        "1.0",
        "2e0",
        "1E+2",
        "-1e-2",
        "0.1",
        "18446744073709551615",
        "18446744073709551616",
        "-9223372036854775808",
        "-9223372036854775809",
        "9223372036854775807",
        "9223372036854775808",
        "123456789012345678901234567890",
        "1e308",
        "4.9e-324",
        "1e-400",
        R"("")",
        R"("plain")",
        R"("\"\\\/\b\f\n\r\t\u0000\u001f\u00e9\u20ac\ud83d\ude00 tail")",
        "\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"",
        R"({"\u0061": 1, "a": 2})",
        R"({"a": 1, "b": [], "a": {"x": 3}})",
        R"({"b": 1, "a": 2, "b": 3, "c": 4, "a": 5, "b": 6})",
        R"({"é": 1, "z": 2, "Z": 3, "": 4, "a\u0000b": 5, "a": 6, "\ud83d\ude00": 7})",
        R"({"k\"ey": {"in\\ner": "v\nw"}, "k\"ey": [1, "\t"]})",
        "[]",
        "{}",
        "[[], {}, [[]], {\"a\": {}}]",
        " \r\n\t[1 ,\r2\n,3 ]\r\n",
        "\xEF\xBB\xBF{\"bom\": true}",
        R"([{"a": 1, "a": 2}, {"a": [1, {"a": 1, "a": 3}]}])"};
    for (const std::string& text : texts) expectSameReading(text);
    for (const std::string text :
         {"", "[1,]", R"({"a" 1})", "1e400", "-", "01", "[1 2]", R"("\ud800")", R"("\x")",
          "{\"a\": \"\x01\"}", "[\"\xC0\xAF\"]", "nul", "[1] 2", R"({"a": 1, "a": 1e999})"}) {
        expectRefused(text);
    }
}

// A number's text is given where its double, written shortest, is not the
// number written (as the written numbers of a nlohmann document are kept).
TEST(LeanDocument, InexactNumbersKeepTheirText) {
    const std::vector<std::pair<std::string, bool>> numbers = {{"0.1", false},
                                                               {"1.0", false},
                                                               {"2e0", false},
                                                               {"-0", false},
                                                               {"0.5", false},
                                                               {"18446744073709551615", false},
                                                               {"18446744073709551616", false},
                                                               {"18446744073709551617", true},
                                                               {"-9223372036854775809", true},
                                                               {"1e-400", true},
                                                               {"123456789.123456789", true}};
    for (const auto& [number, inexact] : numbers) {
        const ParsedText parsed = parseText("[" + number + "]");
        const JsonView element = JsonView(*leanDocumentOf(parsed), 0).element(0);
        EXPECT_EQ(element.numberText(), inexact ? number : "") << number;
    }
}

TEST(LeanDocument, DeepAndWideTextsReadAsTheDocument) {
    const int depth = 10000;
    expectSameReading(std::string(depth, '[') + std::string(depth, ']'));
    std::string nested;
    for (int i = 0; i < depth; ++i) nested += R"({"a": 1, "a": )";
    expectSameReading(nested + "2" + std::string(depth, '}'));
    // Wide containers: every lookup and step stays logarithmic at worst.
    std::string object = "{";
    std::string array = "[";
    for (int i = 0; i < 50000; ++i) {
        const std::string name = "\"m" + std::to_string((i * 7919) % 50000) + "\"";
        object += (i ? "," : "") + name + ":" + std::to_string(i);
        array += (i ? "," : "") + std::string(i % 2 ? "[0]" : "{}");
    }
    expectSameReading(object + ", \"m5\": true}");
    expectSameReading(array + "]");
}

// Containers just under, at and over the size that gets a child table (the
// smaller ones are walked): members written in scrambled order, a repeated
// name (which does not count toward the size), elements that are
// containers themselves.
TEST(LeanDocument, ContainersAroundTheTableSizeReadAsTheDocument) {
    const int tabled = static_cast<int>(LeanDocument::kTabledFrom);
    for (int size = tabled - 2; size <= tabled + 1; ++size) {
        for (const bool repeated : {false, true}) {
            std::string object = "{";
            std::string array = "[";
            for (int i = 0; i < size; ++i) {
                const std::string name = "\"m" + std::to_string((i * 11) % size) + "\"";
                object += (i ? ", " : "") + name + ": " + std::to_string(i);
                array += (i ? ", " : "") + std::string(i % 3 ? "[1, {\"a\": 2}]" : "0.5");
            }
            if (repeated) object += R"(, "m1": {"again": [true]})";
            expectSameReading(object + "}");
            expectSameReading("[" + object + "}, " + array + "], " + array + "]]");
        }
    }
}

// Objects whose names collide (also across escape forms), past the short
// scan of a few names, with all kinds of values.
class CollidingTexts {
  public:
    explicit CollidingTexts(unsigned seed) : random_(seed) {}

    std::string value(int depth) {
        switch (pick(depth > 3 ? 5 : 7)) {
            case 0:
                return pick(2) ? "null" : "true";
            case 1: {
                static const char* const kNumbers[] = {"0",  "-0",  "1.0", "2e0",
                                                       "-7", "1e2", "0.5", "18446744073709551616"};
                return kNumbers[pick(8)];
            }
            case 2:
            case 3:
                return "\"" + name() + "\"";
            case 4:
                return "[]";
            case 5: {
                std::string out = "[";
                for (int i = pick(4); i > 0; --i) out += value(depth + 1) + (i > 1 ? "," : "");
                return out + "]";
            }
            default: {
                std::string out = "{";
                for (int i = pick(14); i > 0; --i) {
                    out += "\"" + name() + "\" : " + value(depth + 1) + (i > 1 ? ", " : "");
                }
                return out + "}";
            }
        }
    }

  private:
    int pick(int range) { return std::uniform_int_distribution<int>(0, range - 1)(random_); }

    std::string name() {
        static const char* const kNames[] = {"a", "\\u0061",        "b",        "ab",  "a\\\"",
                                             "",  "\\u00e9",        "\xC3\xA9", "\\/", "/",
                                             "B", "\\ud83d\\ude00", "c\\nd",    "z",   "a\\u0000"};
        return kNames[pick(15)];
    }

    std::mt19937 random_;
};

TEST(LeanDocument, GeneratedTextsReadAsTheDocument) {
    CollidingTexts make(20261210);
    for (int i = 0; i < 400; ++i) expectSameReading(make.value(0));
}

// Two texts judged as one: the envelope's count is its own root and the
// values of both documents, each without its replaced members.
TEST(LeanDocument, AnEnvelopeCountsTheValuesOfBothTexts) {
    const ParsedText server = parseText(R"({"mode": 2, "mode": {"a": [1, 2]}})");
    const ParsedText bridges = parseText(R"({"groups": [{"id": "a"}], "groups": 1})");
    const LeanEnvelope envelope(*leanDocumentOf(server), *leanDocumentOf(bridges));
    EXPECT_EQ(envelope.root().valueCount(), 1u + 5u + 2u);
    EXPECT_EQ(envelope.root().valueCount(), walkedCount(envelope.root()));
}

}  // namespace
}  // namespace OrvexConfigValidate
