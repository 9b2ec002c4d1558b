#include <gtest/gtest.h>

#include "schemas/SchemaId.hpp"

namespace OrvexConfigValidate {
namespace {

struct IdCase {
    const char* text;
    const char* id;
};

TEST(NormalizeSchemaId, ReferenceFormsNameTheirLastSegment) {
    const IdCase cases[] = {
        {"https://schemas.orvex.example/schemas/Group.schema.json # ", "Group"},
        {"Group.schema.json", "Group"},
        {"common/NetworkAddress.schema.json", "NetworkAddress"},
        {"C:\\cfg\\BridgingConfiguration.json", "BridgingConfiguration"},
        {"Group.schema.json#/properties/id", "Group"},
        {"Group.schema.json?rev=2", "Group"},
        {"Group", "Group"},
        {"Group.json", "Group"},
        {"/Group.schema.json", "Group"},
        {"Group.JSON", "Group.JSON"},
        {"urn:cfg:Group", "urn:cfg:Group"},
        {"https://schemas.orvex.example/schemas/", ""},
        {".schema.json", ""},
    };
    for (const IdCase& c : cases) EXPECT_EQ(normalizeSchemaId(c.text), c.id) << c.text;
}

TEST(NormalizeSchemaId, FragmentAndQueryNeverAffectTheId) {
    EXPECT_EQ(normalizeSchemaId("Group.schema.json#a/b/Other.schema.json"), "Group");
    EXPECT_EQ(normalizeSchemaId("Group.schema.json?x=a/Other.json"), "Group");
    // The first of the two cuts first: a "#" inside the query still cuts.
    EXPECT_EQ(normalizeSchemaId("Group.schema.json?q=1#/x/Other"), "Group");
    EXPECT_EQ(normalizeSchemaId("dir/Group.schema.json#?/Other"), "Group");
}

TEST(NormalizeSchemaId, OnlyTrailingWhitespaceIsRemoved) {
    EXPECT_EQ(normalizeSchemaId("Group.schema.json \t\r\n"), "Group");
    EXPECT_EQ(normalizeSchemaId(" Group.schema.json"), " Group");
    EXPECT_EQ(normalizeSchemaId("Group .schema.json"), "Group ");
}

TEST(NormalizeSchemaId, AtMostOneSuffixIsRemoved) {
    EXPECT_EQ(normalizeSchemaId("A.schema.json.schema.json"), "A.schema.json");
    EXPECT_EQ(normalizeSchemaId("A.json.json"), "A.json");
    EXPECT_EQ(normalizeSchemaId(".json"), "");
    EXPECT_EQ(normalizeSchemaId("json"), "json");
    EXPECT_EQ(normalizeSchemaId(""), "");
    EXPECT_EQ(normalizeSchemaId("#/definitions/x"), "");
}

}  // namespace
}  // namespace OrvexConfigValidate
