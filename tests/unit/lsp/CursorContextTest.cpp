#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lsp/CursorContext.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

using Path = std::vector<std::string>;

// The context at the "|" of a text, with the "|" taken out.
CursorContext at(std::string text) {
    const std::size_t cursor = text.find('|');
    text.erase(cursor, 1);
    return cursorContext(text, cursor);
}

TEST(CursorContext, BetweenElementsOfANestedArray) {
    const auto context = at(R"({"groups": [], "bridges": [{"id": "b", "groups": ["g1", |]}]})");
    EXPECT_TRUE(context.inContainer);
    EXPECT_TRUE(context.containerIsArray);
    EXPECT_FALSE(context.inString);
    EXPECT_EQ(context.containerPath, (Path{"bridges", "0", "groups"}));
}

TEST(CursorContext, InsideAnUnclosedStringOfABrokenText) {
    const std::string text = R"({"bridges": [{}, {"groups": ["g1", "dis|)";
    const auto context = at(text);
    EXPECT_TRUE(context.inString);
    EXPECT_EQ(context.stringContentStart, text.find("dis"));
    EXPECT_EQ(context.containerPath, (Path{"bridges", "1", "groups"}));
}

TEST(CursorContext, StringsWithBracketsAndEscapesDoNotConfuseIt) {
    const auto context = at(R"({"a[": "x]\"{", "b": [{"c\"": 1}, "]", |)");
    EXPECT_TRUE(context.containerIsArray);
    EXPECT_EQ(context.containerPath, (Path{"b"}));
}

TEST(CursorContext, ElementIndexCountsCommasOfTheArrayOnly) {
    const auto context =
        at(R"({"bridges": [{"x": [1, 2, 3]}, {"y": {"p": 1, "q": 2}}, {"groups": [|]}]})");
    EXPECT_EQ(context.containerPath, (Path{"bridges", "2", "groups"}));
}

TEST(CursorContext, KeyPositionIsNoStringValue) {
    const auto context = at(R"({"bridges": [{"gro|)");
    EXPECT_FALSE(context.inString);
    EXPECT_FALSE(context.containerIsArray);
    EXPECT_EQ(context.containerPath, (Path{"bridges", "0"}));
}

TEST(CursorContext, WhereAMemberNameGoesAndWhichNamesCameBefore) {
    const std::string typing = R"({"groups": [{"id": "g", "type": 1, "na|)";
    const auto inKey = at(typing);
    EXPECT_TRUE(inKey.expectingKey);
    EXPECT_TRUE(inKey.inKey);
    EXPECT_EQ(inKey.keyStart, typing.find("\"na"));
    EXPECT_EQ(inKey.keysBefore, (Path{"id", "type"}));
    EXPECT_EQ(inKey.containerPath, (Path{"groups", "0"}));

    const auto betweenMembers = at(R"({"a": {"x": 1}, |"b": 2})");
    EXPECT_TRUE(betweenMembers.expectingKey);
    EXPECT_FALSE(betweenMembers.inKey);
    // Names of nested objects are not the container's.
    EXPECT_EQ(betweenMembers.keysBefore, (Path{"a"}));
}

TEST(CursorContext, TheMemberOrElementWhoseValueIsWritten) {
    const auto value = at(R"({"groups": [{"id": "g", "type": |}]})");
    EXPECT_FALSE(value.expectingKey);
    EXPECT_EQ(value.memberKey, "type");
    EXPECT_EQ(value.containerPath, (Path{"groups", "0"}));
    const auto element = at(R"({"bridges": [{"groups": ["a", "b", |]}]})");
    EXPECT_TRUE(element.containerIsArray);
    EXPECT_EQ(element.elementIndex, 2u);
}

TEST(CursorContext, OutsideEveryValue) {
    EXPECT_FALSE(at("|{}").inContainer);
    EXPECT_FALSE(at("{}|").inContainer);
    EXPECT_FALSE(cursorContext("[1]", 99).inContainer);
}

TEST(CursorContext, StringLeftOpenOnAnEarlierLineEndsThere) {
    const auto context = at("{\"bridges\": [{\"groups\": [\"g1\n, |");
    EXPECT_TRUE(context.containerIsArray);
    EXPECT_FALSE(context.inString);
    EXPECT_EQ(context.containerPath, (Path{"bridges", "0", "groups"}));
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
