// Reference resolution: bases, cycles, limits.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "SchemaIssues.hpp"
#include "TempSchemaDir.hpp"
#include "engine/SchemaLimits.hpp"
#include "engine/UriReference.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

ValidateOptions inDir(const std::string& dir) {
    ValidateOptions options;
    options.schemaDir = dir;
    return options;
}

// The one "schema_engine" message of a validation, or "" when there is none
// or there are other issues too.
std::string engineMessage(const std::vector<Issue>& issues) {
    if (issues.size() != 1 || issues[0].code != "schema_engine") return "";
    return issues[0].message;
}

TEST(UriReference, ResolvesLikeTheRfcExamples) {
    const std::string base = "http://a/b/c/d;p?q";
    EXPECT_EQ(resolveUriReference(base, "g"), "http://a/b/c/g");
    EXPECT_EQ(resolveUriReference(base, "./g/"), "http://a/b/c/g/");
    EXPECT_EQ(resolveUriReference(base, "/g"), "http://a/g");
    EXPECT_EQ(resolveUriReference(base, "//g"), "http://g");
    EXPECT_EQ(resolveUriReference(base, "?y"), "http://a/b/c/d;p?y");
    EXPECT_EQ(resolveUriReference(base, "#s"), "http://a/b/c/d;p?q#s");
    EXPECT_EQ(resolveUriReference(base, "../../g"), "http://a/g");
    EXPECT_EQ(resolveUriReference(base, "../../../g"), "http://a/g");
    EXPECT_EQ(resolveUriReference(base, ""), "http://a/b/c/d;p?q");
    EXPECT_EQ(resolveUriReference(base, "urn:cfg:Group"), "urn:cfg:Group");
    // Bases without scheme: a bare path, and none at all.
    EXPECT_EQ(resolveUriReference("/NetworkAddress.schema.json", "Group.schema.json#/x"),
              "/Group.schema.json#/x");
    EXPECT_EQ(resolveUriReference("", "common/Group.schema.json"), "common/Group.schema.json");
    EXPECT_EQ(percentDecode("a%25b%2Fc%zz%4"), "a%b/c%zz%4");
}

TEST(SchemaRefCycles, LoopsWithoutDescentAreNamedEngineIssues) {
    TempSchemaDir dir;
    dir.write("NetworkAddress.schema.json", R"({"$ref": "#"})");
    EXPECT_EQ(engineMessage(schemaIssues("NetworkAddress", 1, inDir(dir.path()))),
              "schema $ref cycle: # -> #");

    dir.write("NetworkAddress.schema.json", R"({"$ref": "#/definitions/a", "definitions": {
        "a": {"$ref": "#/definitions/b"}, "b": {"$ref": "#/definitions/a"}}})");
    EXPECT_EQ(engineMessage(schemaIssues("NetworkAddress", 1, inDir(dir.path()))),
              "schema $ref cycle: #/definitions/a -> #/definitions/b -> #/definitions/a");

    // allOf, not and the like stay on the same value: still a loop.
    dir.write("NetworkAddress.schema.json", R"({"properties": {"x": {"$ref": "#/definitions/a"}},
        "definitions": {"a": {"anyOf": [{"not": {"$ref": "#/definitions/a"}}]}}})");
    EXPECT_EQ(engineMessage(schemaIssues("NetworkAddress", json::object(), inDir(dir.path()))),
              "schema $ref cycle: #/definitions/a -> #/definitions/a/anyOf/0/not -> "
              "#/definitions/a");

    // Across documents: the second one is named by its location.
    dir.write("NetworkAddress.schema.json", R"({"allOf": [{"$ref": "enums.schema.json"}]})");
    dir.write("enums.schema.json", R"({"$ref": "NetworkAddress.schema.json"})");
    const std::string message = engineMessage(schemaIssues("NetworkAddress", 1, inDir(dir.path())));
    EXPECT_EQ(message, "schema $ref cycle: # -> #/allOf/0 -> /enums.schema.json# -> #");
}

TEST(SchemaRefCycles, RecursionThroughTheDataIsFine) {
    TempSchemaDir dir;
    dir.write("NetworkAddress.schema.json", R"({"$ref": "#/definitions/node", "definitions": {
        "node": {"type": "object", "required": ["v"], "properties": {
            "v": {"type": "integer"},
            "kids": {"type": "array", "items": {"$ref": "#/definitions/node"}}}}}})");
    const json tree = {{"v", 1}, {"kids", {{{"v", 2}, {"kids", json::array()}}, {{"v", 3}}}}};
    EXPECT_TRUE(schemaIssues("NetworkAddress", tree, inDir(dir.path())).empty());
    json broken = tree;
    broken["kids"][1]["v"] = "three";
    const auto issues = schemaIssues("NetworkAddress", broken);
    ASSERT_EQ(issues.size(), 1u) << describe(issues);
    EXPECT_EQ(issues[0].path, "/kids/1/v");
}

TEST(SchemaRefBases, RootWithoutIdResolvesThroughItsSchemaId) {
    TempSchemaDir dir;
    // A root that is only a relative reference, and one to itself by name.
    dir.write("NetworkAddress.schema.json", R"({"$ref": "Group.schema.json"})");
    const auto issues = schemaIssues("NetworkAddress", json{{"id", "g"}}, inDir(dir.path()));
    ASSERT_EQ(issues.size(), 1u) << describe(issues);
    EXPECT_EQ(issues[0].message, R"(missing required member "type")");
    dir.write("NetworkAddress.schema.json", R"({"$ref": "NetworkAddress.schema.json"})");
    EXPECT_EQ(engineMessage(schemaIssues("NetworkAddress", 1, inDir(dir.path()))),
              "schema $ref cycle: # -> #");
}

TEST(SchemaRefBases, IdSetsTheBaseAndNamesSubschemas) {
    TempSchemaDir dir;
    // "other.json" and "#num" name subschemas of this document: no loader.
    dir.write("NetworkAddress.schema.json", R"({"$id": "https://elsewhere.example/x/root.json",
        "definitions": {"s": {"$id": "other.json", "type": "string"},
                        "n": {"$id": "#num", "type": "integer"}},
        "properties": {"a": {"$ref": "other.json"}, "b": {"$ref": "#num"},
                       "g": {"$ref": "Group.schema.json"}, "c": {"$ref": "root.json#/definitions/n"}}})");
    const ValidateOptions options = inDir(dir.path());
    EXPECT_TRUE(
        schemaIssues("NetworkAddress", json{{"a", "s"}, {"b", 1}, {"c", 2}}, options).empty());
    const auto issues = schemaIssues(
        "NetworkAddress", json{{"a", 1}, {"b", "s"}, {"g", json::object()}, {"c", "x"}}, options);
    ASSERT_EQ(issues.size(), 5u) << describe(issues);
    EXPECT_EQ(issues[0].path, "/a");
    EXPECT_EQ(issues[1].path, "/b");
    EXPECT_EQ(issues[2].path, "/c");
    EXPECT_EQ(issues[3].path, "/g");

    // The location that the loader is asked for follows the "$id".
    dir.write(
        "NetworkAddress.schema.json",
        R"({"$id": "https://elsewhere.example/x/root.json", "items": {"$ref": "Nope.json"}})");
    EXPECT_EQ(engineMessage(schemaIssues("NetworkAddress", json::array(), options)),
              "cannot resolve schema $ref: https://elsewhere.example/x/Nope.json # ");
    // "id" is no draft-07 keyword and changes nothing.
    dir.write("NetworkAddress.schema.json",
              R"({"id": "foo/", "properties": {"g": {"$ref": "Group.schema.json"}}})");
    EXPECT_EQ(schemaIssues("NetworkAddress", json{{"g", json::object()}}, options).size(), 2u);
}

TEST(SchemaRefBases, SamePointerInTwoDocumentsMeansTwoSchemas) {
    TempSchemaDir dir;
    dir.write("NetworkAddress.schema.json", R"({"definitions": {"x": {"type": "string"}},
        "properties": {"p": {"$ref": "#/definitions/x"}, "q": {"$ref": "enums.schema.json"}}})");
    dir.write("enums.schema.json", R"({"definitions": {"x": {"type": "integer"}},
        "properties": {"r": {"$ref": "#/definitions/x"}}})");
    const ValidateOptions options = inDir(dir.path());
    EXPECT_TRUE(
        schemaIssues("NetworkAddress", json{{"p", "s"}, {"q", {{"r", 1}}}}, options).empty());
    const auto issues =
        schemaIssues("NetworkAddress", json{{"p", 1}, {"q", {{"r", "s"}}}}, options);
    ASSERT_EQ(issues.size(), 2u) << describe(issues);
    EXPECT_EQ(issues[1].path, "/q/r");
}

TEST(SchemaRefBases, PropertyNamesAndDependenciesHoldBehindAReference) {
    TempSchemaDir dir;
    dir.write("NetworkAddress.schema.json", R"({"allOf": [{"$ref": "#/definitions/s"}],
        "definitions": {"s": {"propertyNames": {"maxLength": 3},
                              "dependencies": {"a": {"required": ["b"]}, "c": false}}}})");
    const ValidateOptions options = inDir(dir.path());
    EXPECT_TRUE(schemaIssues("NetworkAddress", json{{"a", 1}, {"b", 2}}, options).empty());
    EXPECT_FALSE(schemaIssues("NetworkAddress", json{{"long", 1}}, options).empty());
    EXPECT_FALSE(schemaIssues("NetworkAddress", json{{"a", 1}}, options).empty());
    EXPECT_FALSE(schemaIssues("NetworkAddress", json{{"c", 1}}, options).empty());
}

TEST(SchemaRefBases, BadTargetsAreEngineIssues) {
    TempSchemaDir dir;
    const ValidateOptions options = inDir(dir.path());
    dir.write("NetworkAddress.schema.json", R"({"items": {"$ref": "#/definitions/none"}})");
    EXPECT_EQ(engineMessage(schemaIssues("NetworkAddress", json::array(), options)),
              "schema $ref target not found: /NetworkAddress.schema.json#/definitions/none");
    dir.write("NetworkAddress.schema.json",
              R"({"items": {"$ref": "#/required/0"}, "required": ["a"]})");
    EXPECT_NE(engineMessage(schemaIssues("NetworkAddress", json::array(), options)), "");
    dir.write("NetworkAddress.schema.json", R"({"items": {"$ref": "#nowhere"}})");
    EXPECT_NE(engineMessage(schemaIssues("NetworkAddress", json::array(), options)), "");
    // An unused definition refers to nothing that must load.
    dir.write("NetworkAddress.schema.json", R"({"definitions": {"u": {"$ref": "Missing.json"}}})");
    EXPECT_TRUE(schemaIssues("NetworkAddress", json::array(), options).empty());
}

std::string nested(const std::string& open, const std::string& close, std::size_t levels) {
    std::string text;
    for (std::size_t i = 0; i < levels; ++i) text += open;
    text += "{}";
    for (std::size_t i = 0; i < levels; ++i) text += close;
    return text;
}

TEST(SchemaLimits, DeepOrLongSchemasAreEngineIssuesNotCrashes) {
    TempSchemaDir dir;
    const ValidateOptions options = inDir(dir.path());
    dir.write("NetworkAddress.schema.json", nested(R"({"not": )", "}", 100000));
    EXPECT_NE(engineMessage(schemaIssues("NetworkAddress", 1, options)).find("nested deeper"),
              std::string::npos);
    // Reached through another document, too.
    dir.write("enums.schema.json", R"({"items": {"$ref": "NetworkAddress.schema.json"}})");
    EXPECT_NE(engineMessage(schemaIssues("enums", json::array(), options)).find("nested deeper"),
              std::string::npos);
    // Within the limit it still works.
    dir.write("NetworkAddress.schema.json", nested(R"({"not": {"not": )", "}}", 40));
    EXPECT_TRUE(schemaIssues("NetworkAddress", 1, options).empty());

    // A long chain of definitions, each shallow.
    json chain = {{"$ref", "#/definitions/d0"}, {"definitions", json::object()}};
    for (int i = 0; i < 5000; ++i) {
        chain["definitions"]["d" + std::to_string(i)] = {
            {"properties", {{"x", {{"$ref", "#/definitions/d" + std::to_string(i + 1)}}}}}};
    }
    chain["definitions"]["d5000"] = {{"type", "integer"}};
    dir.write("NetworkAddress.schema.json", chain.dump());
    EXPECT_NE(engineMessage(schemaIssues("NetworkAddress", 1, options)).find("chain deeper"),
              std::string::npos);

    dir.write("NetworkAddress.schema.json",
              json{{"pattern", std::string(kMaxPatternLength + 1, 'a')}}.dump());
    EXPECT_NE(engineMessage(schemaIssues("NetworkAddress", "a", options)).find("pattern longer"),
              std::string::npos);
}

}  // namespace
}  // namespace OrvexConfigValidate
