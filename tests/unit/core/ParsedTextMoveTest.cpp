#include <gtest/gtest.h>

#include <string>
#include <utility>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate {
namespace {

const char* const kText = R"({"groups": [{"id": "a", "type": 3}]})";

// A moved-from text reads as an empty one that did not parse, whatever is
// asked of it, and can be given a new text again.
void expectEmpty(ParsedText& moved) {
    EXPECT_FALSE(moved.ok());
    EXPECT_TRUE(moved.issues().empty());
    EXPECT_TRUE(moved.toJson().is_null());
    EXPECT_FALSE(moved.root());
    EXPECT_TRUE(moved.text().empty());
    EXPECT_FALSE(moved.locate("/groups/0").known());
    EXPECT_EQ(moved.locateAll({"", "/groups"}).size(), 2u);
    EXPECT_EQ(moved.pointerAt(3), "");
    EXPECT_EQ(moved.position(3).line, 1u);
    const ValidationResult result = validateText("BridgingConfiguration", moved, {});
    EXPECT_FALSE(result.ok);
    const ValidationResult viaValidator =
        Validator().validateText("BridgingConfiguration", moved, {});
    EXPECT_FALSE(viaValidator.ok);
    ParsedText other = parseText(kText);
    EXPECT_FALSE(validateTextPair(moved, other, {}).ok);
}

TEST(ParsedTextMove, MovedFromByConstructionIsEmpty) {
    ParsedText source = parseText(kText);
    ASSERT_TRUE(source.ok());
    ParsedText target(std::move(source));
    EXPECT_TRUE(target.ok());
    EXPECT_EQ(target.locate("/groups/0/id").column, 20u);
    expectEmpty(source);  // NOLINT(bugprone-use-after-move): the point of the test
}

TEST(ParsedTextMove, MovedFromByAssignmentIsEmptyAndTakesANewText) {
    ParsedText source = parseText(kText);
    ParsedText target;
    target = std::move(source);
    EXPECT_TRUE(target.ok());
    expectEmpty(source);  // NOLINT(bugprone-use-after-move)
    source = parseText("[1, 2]");
    EXPECT_TRUE(source.ok());
    EXPECT_EQ(source.locate("/1").column, 5u);
}

}  // namespace
}  // namespace OrvexConfigValidate
