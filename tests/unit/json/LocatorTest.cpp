#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate {
namespace {

using LineColumn = std::pair<std::size_t, std::size_t>;

LineColumn at(const ParsedText& parsed, const std::string& pointer) {
    const TextLocation location = parsed.locate(pointer);
    return {location.line, location.column};
}

ParsedText parsed(const std::string& text) {
    ParsedText result = parseText(text);
    EXPECT_TRUE(result.ok()) << text;
    return result;
}

TEST(Locate, RootAndMembers) {
    const auto text = parsed("\n  {\"a\": 1,\n   \"b\" :\t[true, {\"c\": null}]}");
    EXPECT_EQ(at(text, ""), LineColumn(2, 3));
    EXPECT_EQ(at(text, "/a"), LineColumn(2, 9));
    EXPECT_EQ(at(text, "/b"), LineColumn(3, 10));
    EXPECT_EQ(at(text, "/b/0"), LineColumn(3, 11));
    EXPECT_EQ(at(text, "/b/1"), LineColumn(3, 17));
    EXPECT_EQ(at(text, "/b/1/c"), LineColumn(3, 23));
    EXPECT_EQ(text.locate("/b/1").length, 11u);
    EXPECT_EQ(text.locate("/b/1/c").offset, 34u);
}

TEST(Locate, ManyAtOnceAgreeWithOneAtATime) {
    const auto text = parsed("{\"b\": [1, [2, {\"c\": 3}], 4],\n \"a\": {\"x\": [true]}}");
    const std::vector<std::string> pointers = {
        "/b/2", "", "/a/x/0", "/b/1/1/c", "/b/1", "/a/missing", "/b/9", "no pointer", "/b/0"};
    const std::vector<TextLocation> places = text.locateAll(pointers);
    ASSERT_EQ(places.size(), pointers.size());
    for (std::size_t k = 0; k < pointers.size(); ++k) {
        const TextLocation one = text.locate(pointers[k]);
        EXPECT_EQ(places[k].offset, one.offset) << pointers[k];
        EXPECT_EQ(places[k].length, one.length) << pointers[k];
        EXPECT_EQ(places[k].line, one.line) << pointers[k];
    }
    EXPECT_EQ(places[0].column, 26u);
    EXPECT_EQ(parseText("[").locateAll({"", "/0"}).at(1).line, 0u);
}

// Large containers are tabled by locateAll and walked by locate; members
// written twice (the later one in force) and small containers inside large
// ones must come out the same either way.
TEST(Locate, ManyAtOnceAgreeWithOneAtATimeInLargeContainers) {
    std::string text = "{";
    std::vector<std::string> pointers = {"/list/40", "/list/17/k", "/m99", "/list/x"};
    for (int i = 0; i < 40; ++i) {
        const std::string name = "m" + std::to_string((i * 7) % 25);
        text += "\"" + name + "\": " + std::to_string(i) + ",\n";
        pointers.push_back("/" + name);
    }
    text += "\"list\": [";
    for (int i = 0; i < 30; ++i) {
        text +=
            (i == 0 ? "" : ", ") + std::string("{\"k\": ") + std::to_string(i) + ", \"k\": [1]}";
        pointers.push_back("/list/" + std::to_string(i) + "/k/0");
    }
    text += "]}";
    const auto document = parsed(text);
    const std::vector<TextLocation> places = document.locateAll(pointers);
    for (std::size_t k = 0; k < pointers.size(); ++k) {
        const TextLocation one = document.locate(pointers[k]);
        EXPECT_EQ(places[k].offset, one.offset) << pointers[k];
        EXPECT_EQ(places[k].length, one.length) << pointers[k];
    }
    // The later of a name written twice is the one found.
    EXPECT_EQ(document.locate("/list/3/k/0").length, 1u);
    EXPECT_EQ(text.substr(document.locate("/m0").offset, 2), "25");
}

TEST(Locate, NestedArraysAreSkippedWhole) {
    const auto text = parsed(R"([[1, [2, [3]]], {"x": [[], {}]}, "]", 4])");
    EXPECT_EQ(at(text, "/1"), LineColumn(1, 17));
    EXPECT_EQ(at(text, "/1/x/1"), LineColumn(1, 28));
    EXPECT_EQ(at(text, "/2"), LineColumn(1, 34));
    EXPECT_EQ(at(text, "/3"), LineColumn(1, 39));
    EXPECT_EQ(at(text, "/0/1/1/0"), LineColumn(1, 11));
}

TEST(Locate, KeysWithEscapesMatchTheirDecodedText) {
    // Keys: a"b, a\b, é (as \u00e9), the G clef U+1D11E (as a surrogate
    // pair), and a/b; a value string with "}" and an escaped quote in between.
    const auto text = parsed(
        "{\"skip\": \"}\\\"{\", \"a\\\"b\": 1, \"a\\\\b\": 2, \"\\u00e9\": 3, "
        "\"\\ud834\\udd1e\": 4, \"a\\/b\": 5, \"t~\": 6}");
    EXPECT_EQ(at(text, "/a\"b"), LineColumn(1, 26));
    EXPECT_EQ(at(text, "/a\\b"), LineColumn(1, 37));
    EXPECT_EQ(at(text, "/\xC3\xA9"), LineColumn(1, 50));
    EXPECT_EQ(at(text, "/\xF0\x9D\x84\x9E"), LineColumn(1, 69));
    EXPECT_EQ(at(text, "/a~1b"), LineColumn(1, 80));
    EXPECT_EQ(at(text, "/t~0"), LineColumn(1, 89));
}

TEST(Locate, ColumnsCountBytesOfRawUtf8) {
    const auto text = parsed("{\"\xC3\xA9t\xC3\xA9\": \"\xE2\x80\x94\", \"n\": 1}");
    EXPECT_EQ(at(text, "/\xC3\xA9t\xC3\xA9"), LineColumn(1, 11));
    EXPECT_EQ(at(text, "/n"), LineColumn(1, 23));
}

TEST(Locate, CrLfLineEnds) {
    const auto text = parsed("{\r\n  \"a\": [\r\n    7\r\n  ]\r\n}\r\n");
    EXPECT_EQ(at(text, "/a/0"), LineColumn(3, 5));
}

TEST(Locate, AbsentMemberGivesNearestEnclosingValue) {
    const auto text = parsed("{\n  \"groups\": [\n    {\"id\": \"g\"}\n  ]\n}");
    EXPECT_EQ(at(text, "/groups/0/type"), LineColumn(3, 5));
    EXPECT_EQ(at(text, "/groups/1"), LineColumn(2, 13));
    EXPECT_EQ(at(text, "/bridges/0"), LineColumn(1, 1));
    // A scalar has no members; an array index must be canonical.
    EXPECT_EQ(at(text, "/groups/0/id/x"), LineColumn(3, 12));
    EXPECT_EQ(at(text, "/groups/00"), LineColumn(2, 13));
    EXPECT_EQ(at(text, "/groups/-"), LineColumn(2, 13));
    // Not a pointer at all: the document.
    EXPECT_EQ(at(text, "groups"), LineColumn(1, 1));
    EXPECT_EQ(at(parsed("[]"), "/0"), LineColumn(1, 1));
    EXPECT_EQ(at(parsed("{}"), "/"), LineColumn(1, 1));
}

TEST(Locate, EmptyKeyIsAKeyLikeAnyOther) {
    EXPECT_EQ(at(parsed("{\"\": 5, \"x\": 6}"), "/"), LineColumn(1, 6));
}

TEST(Locate, DeepNestingNeedsNoRecursion) {
    const auto text = parsed("[" + std::string(200000, '[') + std::string(200000, ']') + ", 9]");
    EXPECT_EQ(at(text, "/1"), LineColumn(1, 400004));
}

TEST(Locate, NothingToLocateInAFailedParse) {
    const ParsedText text = parseText("{\"a\": [1, ");
    EXPECT_FALSE(text.ok());
    EXPECT_FALSE(text.locate("/a").known());
    EXPECT_EQ(text.pointerAt(3), "");
}

TEST(PointerAt, InnermostValueOrMemberNameHoldingTheOffset) {
    const std::string source = "{\"a\": [10, {\"b~/\": true}],\n \"c\": \"x\"}";
    const auto text = parsed(source);
    EXPECT_EQ(text.pointerAt(source.find("10")), "/a/0");
    EXPECT_EQ(text.pointerAt(source.find("10") + 1), "/a/0");
    EXPECT_EQ(text.pointerAt(source.find("true")), "/a/1/b~0~1");
    EXPECT_EQ(text.pointerAt(source.find("\"b")), "/a/1/b~0~1");  // on the name
    EXPECT_EQ(text.pointerAt(source.find("{\"b")), "/a/1");
    EXPECT_EQ(text.pointerAt(source.find(", {")), "/a");
    EXPECT_EQ(text.pointerAt(source.find("\"c\"") + 1), "/c");
    EXPECT_EQ(text.pointerAt(0), "");
    EXPECT_EQ(text.pointerAt(source.size() + 5), "");
}

TEST(Position, LinesAndColumnsOfOffsets) {
    const auto text = parsed("\xEF\xBB\xBF[1,\n 2,\r\n3]");
    EXPECT_EQ(text.position(0).column, 1u);
    EXPECT_EQ(text.position(3).column, 1u);
    EXPECT_EQ(text.position(5).column, 3u);
    EXPECT_EQ(text.position(8).line, 2u);
    EXPECT_EQ(text.position(8).column, 2u);
    EXPECT_EQ(text.position(12).line, 3u);
    EXPECT_EQ(text.position(12).column, 1u);
}

}  // namespace
}  // namespace OrvexConfigValidate
