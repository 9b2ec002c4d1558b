// What a schema allows at a place, as an editor asks it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "TempSchemaDir.hpp"

namespace OrvexConfigValidate {
namespace {

std::vector<std::string> names(const SchemaPlaceInfo& info) {
    std::vector<std::string> out;
    for (const auto& member : info.members)
        out.push_back(member.name + (member.required ? "!" : ""));
    return out;
}

TEST(SchemaQuery, EmbeddedSchemasThroughReferencesAndArrays) {
    const Validator validator;
    const SchemaPlaceInfo group = validator.describeSchemaAt("BridgingConfiguration", "/groups/7");
    ASSERT_TRUE(group.known);
    EXPECT_EQ(group.title, "Group");
    EXPECT_EQ(names(group),
              (std::vector<std::string>{"appTransport", "bridgeTargetOutputDetail", "id!", "name",
                                        "rx", "tx", "txAudio", "type!", "vortapoints"}));
    const SchemaPlaceInfo type =
        validator.describeSchemaAt("BridgingConfiguration", "/groups/0/type");
    EXPECT_EQ(type.enumValues, (std::vector<nlohmann::json>{0, 1, 2, 3}));
    EXPECT_EQ(type.types, (std::vector<std::string>{"integer"}));
    EXPECT_EQ(type.description, "gtUnknown=0, gtAudio=1, gtPresence=2, gtRaw=3");
    // The envelope reaches the same group schema under its own member.
    const SchemaPlaceInfo wrapped = validator.describeSchemaAt("Obs", "/bridges/groups/0");
    EXPECT_EQ(names(wrapped), names(group));
    const SchemaPlaceInfo enabled =
        validator.describeSchemaAt("BridgingConfiguration", "/bridges/0/enabled");
    EXPECT_TRUE(enabled.allows("boolean"));
    EXPECT_FALSE(enabled.allows("string"));
}

TEST(SchemaQuery, UnknownPlacesAndIds) {
    const Validator validator;
    EXPECT_FALSE(validator.describeSchemaAt("NoSuchSchema", "").known);
    EXPECT_FALSE(validator.describeSchemaAt("BridgingConfiguration", "not a pointer").known);
    // An integer has no members, and nothing else is allowed beside it.
    EXPECT_FALSE(validator.describeSchemaAt("BridgingConfiguration", "/groups/0/type/x").known);
}

const char kBranchy[] = R"({
  "type": "object",
  "properties": {
    "child": {"$ref": "#"},
    "n": {"description": "a small number", "enum": [1, 2]},
    "list": {"items": [{"const": "first"}], "additionalItems": {"enum": ["more"]}}
  },
  "allOf": [{"properties": {"a": {"title": "A member"}}, "required": ["a"]}],
  "anyOf": [{"properties": {"b": {"type": "boolean"}}}, {"required": ["unnamed"]}],
  "if": {"properties": {"c": {"const": 1}}},
  "then": {"properties": {"d": {"type": "string", "description": "only when c is 1"}}},
  "patternProperties": {"^x-": {"description": "an extension"}}
})";

TEST(SchemaQuery, EveryBranchCountsAndEveryArrayFormIsFollowed) {
    const TempSchemaDir dir;
    dir.write("Group.schema.json", kBranchy);
    const Validator validator(ValidatorOptions{dir.path()});
    const SchemaPlaceInfo root = validator.describeSchemaAt("Group", "");
    EXPECT_EQ(names(root),
              (std::vector<std::string>{"a!", "b", "c", "child", "d", "list", "n", "unnamed!"}));
    EXPECT_EQ(root.members[0].title, "A member");
    EXPECT_EQ(validator.describeSchemaAt("Group", "/x-note").description, "an extension");
    EXPECT_EQ(validator.describeSchemaAt("Group", "/list/0").enumValues,
              (std::vector<nlohmann::json>{"first"}));
    EXPECT_EQ(validator.describeSchemaAt("Group", "/list/5").enumValues,
              (std::vector<nlohmann::json>{"more"}));
    EXPECT_EQ(validator.describeSchemaAt("Group", "/d").description, "only when c is 1");
}

TEST(SchemaQuery, ARecursiveSchemaAtAGreatDepthCostsItsLength) {
    const TempSchemaDir dir;
    dir.write("Group.schema.json", kBranchy);
    const Validator validator(ValidatorOptions{dir.path()});
    std::string pointer;
    for (int i = 0; i < 200000; ++i) pointer += "/child";
    const SchemaPlaceInfo deep = validator.describeSchemaAt("Group", pointer + "/n");
    EXPECT_EQ(deep.enumValues, (std::vector<nlohmann::json>{1, 2}));
    EXPECT_EQ(deep.description, "a small number");
}

}  // namespace
}  // namespace OrvexConfigValidate
