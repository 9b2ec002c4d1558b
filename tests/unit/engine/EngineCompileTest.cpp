// Compiling: references, bases, limits and malformed keywords.
#include <gtest/gtest.h>

#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "EngineHarness.hpp"
#include "engine/Draft07MetaSchema.hpp"
#include "engine/SchemaLimits.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

TEST(EngineReferences, LoopsWithoutDescentAreErrorsNamingTheReferences) {
    EXPECT_EQ(compileError(json::parse(R"({"$ref": "#"})")), "schema $ref cycle: # -> #");
    EXPECT_EQ(compileError(json::parse(R"({"$ref": "#/definitions/a", "definitions": {
                  "a": {"$ref": "#/definitions/b"}, "b": {"$ref": "#/definitions/a"}}})")),
              "schema $ref cycle: #/definitions/a -> #/definitions/b -> #/definitions/a");
    EXPECT_EQ(compileError(json::parse(R"({"properties": {"x": {"$ref": "#/definitions/a"}},
                  "definitions": {"a": {"anyOf": [{"not": {"$ref": "#/definitions/a"}}]}}})")),
              "schema $ref cycle: #/definitions/a -> #/definitions/a/anyOf/0/not -> "
              "#/definitions/a");
    MapSource documents;
    documents.add("/enums.schema.json", json::parse(R"({"$ref": "NetworkAddress.schema.json"})"));
    EXPECT_EQ(compileError(json::parse(R"({"allOf": [{"$ref": "enums.schema.json"}]})"), &documents,
                           "/NetworkAddress.schema.json"),
              "schema $ref cycle: # -> #/allOf/0 -> /enums.schema.json# -> #");
}

TEST(EngineReferences, RecursionThroughTheInstanceCompiles) {
    const json schema = json::parse(R"({"$ref": "#/definitions/node", "definitions": {
        "node": {"type": "object", "required": ["v"], "properties": {
            "v": {"type": "integer"},
            "kids": {"type": "array", "items": {"$ref": "#/definitions/node"}}}}}})");
    const json tree = {{"v", 1}, {"kids", {{{"v", 2}, {"kids", json::array()}}, {{"v", 3}}}}};
    EXPECT_TRUE(check(schema, tree).issues.empty());
    json broken = tree;
    broken["kids"][1]["v"] = "three";
    const ValidationResult result = check(schema, broken);
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_EQ(result.issues[0].path, "/kids/1/v");
    EXPECT_FALSE(result.ok);
}

TEST(EngineReferences, UnresolvableReferencesNameTheLocation) {
    MapSource documents;
    EXPECT_EQ(compileError(json::parse(R"({"$id": "https://elsewhere.example/x/root.json",
                               "items": {"$ref": "Nope.json"}})"),
                           &documents),
              "cannot resolve schema $ref: https://elsewhere.example/x/Nope.json # ");
    EXPECT_EQ(compileError(json::parse(R"({"items": {"$ref": "Missing.schema.json"}})"), &documents,
                           "/Group.schema.json"),
              "cannot resolve schema $ref: /Missing.schema.json # ");
    EXPECT_EQ(compileError(json::parse(R"({"items": {"$ref": "#/definitions/none"}})"), &documents,
                           "/N.json"),
              "schema $ref target not found: /N.json#/definitions/none");
    EXPECT_EQ(compileError(json::parse(R"({"items": {"$ref": "#nowhere"}})")),
              "schema $ref target not found: #nowhere");
    EXPECT_EQ(
        compileError(json::parse(R"({"items": {"$ref": "#/required/0"}, "required": ["a"]})")),
        "schema $ref target is not a schema: #/required/0");
    // An unused definition asks for nothing.
    EXPECT_EQ(compileError(json::parse(R"({"definitions": {"u": {"$ref": "Missing.json"}}})"),
                           &documents),
              "");
    EXPECT_EQ(documents.requests.size(), 2u);
}

TEST(EngineReferences, EmptyMemberNamesAndEscapesInPointers) {
    const json schema = json::parse(R"({"properties": {
        "e": {"$ref": "#/definitions/"},
        "s": {"$ref": "#/definitions/a~1b"},
        "t": {"$ref": "#/definitions/c~0d"},
        "p": {"$ref": "#/definitions/q%25r"}},
        "definitions": {"": {"type": "integer"}, "a/b": {"type": "string"},
                        "c~d": {"type": "boolean"}, "q%r": {"type": "null"}}})");
    EXPECT_TRUE(
        check(schema, json{{"e", 1}, {"s", "x"}, {"t", true}, {"p", nullptr}}).issues.empty());
    EXPECT_EQ(paths(check(schema, json{{"e", "1"}, {"s", 1}, {"t", 1}, {"p", 1}})),
              (std::vector<std::string>{"/e", "/p", "/s", "/t"}));
}

TEST(EngineReferences, IdSetsTheBaseAndPlainNamesAnchor) {
    MapSource documents;
    documents.add("https://elsewhere.example/x/Group.schema.json",
                  json::parse(R"({"type": "object", "required": ["type"]})"));
    const json schema = json::parse(R"({"$id": "https://elsewhere.example/x/root.json",
        "definitions": {"s": {"$id": "other.json", "type": "string"},
                        "n": {"$id": "#num", "type": "integer"}},
        "properties": {"a": {"$ref": "other.json"}, "b": {"$ref": "#num"},
                       "g": {"$ref": "Group.schema.json"},
                       "c": {"$ref": "root.json#/definitions/n"}}})");
    const SchemaCompilation compilation = compileJson(schema, &documents);
    ASSERT_TRUE(compilation.schema) << compilation.error;
    EXPECT_TRUE(
        evaluateJson(*compilation.schema, json{{"a", "s"}, {"b", 1}, {"c", 2}}).issues.empty());
    EXPECT_EQ(paths(evaluateJson(*compilation.schema,
                                 json{{"a", 1}, {"b", "s"}, {"g", json::object()}, {"c", "x"}})),
              (std::vector<std::string>{"/a", "/b", "/c", "/g"}));
    // Only the document the reference names was asked for.
    EXPECT_EQ(documents.requests,
              (std::vector<std::string>{"https://elsewhere.example/x/Group.schema.json"}));
}

TEST(EngineReferences, SiblingsOfARefAreIgnored) {
    const json schema = json::parse(R"({"definitions": {"i": {"type": "integer"}},
        "properties": {"x": {"$ref": "#/definitions/i", "maximum": 1, "$id": "elsewhere.json"}}})");
    EXPECT_TRUE(check(schema, json{{"x", 5}}).issues.empty());
    EXPECT_EQ(check(schema, json{{"x", "5"}}).issues.size(), 1u);
}

TEST(EngineReferences, TheSameDocumentUnderEverLongerNamesIsCompiledOnce) {
    // A schema without "$id" that names itself by a relative path with a
    // directory: each resolution adds "common/" to the path, and a source
    // that maps file names to documents answers the same object each time.
    MapSource documents;
    documents.add("/common/X.schema.json",
                  json::parse(R"({"properties": {"next": {"$ref": "common/X.schema.json"}},
                                  "type": "object"})"));
    for (const char* longer :
         {"/common/common/X.schema.json", "/common/common/common/X.schema.json",
          "/common/common/common/common/X.schema.json"})
        documents.alias(longer, "/common/X.schema.json");
    const SchemaCompilation compilation = compileSchema(
        documents.get("/common/X.schema.json"), "/common/X.schema.json", documents.source());
    ASSERT_TRUE(compilation.schema) << compilation.error;
    EXPECT_EQ(documents.requests, (std::vector<std::string>{"/common/common/X.schema.json"}));
    const ValidationResult result =
        evaluateJson(*compilation.schema, json{{"next", {{"next", 1}}}});
    EXPECT_EQ(paths(result), (std::vector<std::string>{"/next/next"}));

    // A root that is a copy is the document once more, then no more.
    documents.requests.clear();
    const json copy = *documents.get("/common/X.schema.json");
    EXPECT_EQ(compileError(copy, &documents, "/common/X.schema.json"), "");
    EXPECT_EQ(documents.requests.size(), 2u);
}

TEST(EngineReferences, RemoteDocumentsReachedTwiceAreAskedForOnce) {
    MapSource documents;
    documents.add("/Group.schema.json", json::parse(R"({"type": "object"})"));
    const json schema = json::parse(R"({"properties": {"a": {"$ref": "Group.schema.json"},
        "b": {"$ref": "Group.schema.json#"}, "c": {"$ref": "/Group.schema.json"}}})");
    const SchemaCompilation compilation = compileJson(schema, &documents, "/Obs.schema.json");
    ASSERT_TRUE(compilation.schema) << compilation.error;
    EXPECT_EQ(documents.requests, (std::vector<std::string>{"/Group.schema.json"}));
}

std::string nested(const std::string& open, const std::string& close, std::size_t levels) {
    std::string text;
    for (std::size_t i = 0; i < levels; ++i) text += open;
    text += "{}";
    for (std::size_t i = 0; i < levels; ++i) text += close;
    return text;
}

TEST(EngineLimits, DeepLongAndWideSchemasAreErrorsNotCrashes) {
    EXPECT_EQ(compileError(json::parse(nested(R"({"not": )", "}", 300))),
              "schema document # is nested deeper than 200 levels");
    EXPECT_EQ(compileError(json::parse(nested(R"({"not": {"not": )", "}}", 40))), "");

    json chain = {{"$ref", "#/definitions/d0"}, {"definitions", json::object()}};
    for (int i = 0; i < 5000; ++i) {
        chain["definitions"]["d" + std::to_string(i)] = {
            {"properties", {{"x", {{"$ref", "#/definitions/d" + std::to_string(i + 1)}}}}}};
    }
    chain["definitions"]["d5000"] = {{"type", "integer"}};
    EXPECT_NE(compileError(chain).find("schema chain deeper than 1000 subschemas at "),
              std::string::npos);

    EXPECT_EQ(compileError(json{{"pattern", std::string(kMaxPatternLength + 1, 'a')}}),
              "schema pattern longer than 1000 characters at #");
    EXPECT_EQ(compileError(
                  json{{"patternProperties", {{std::string(kMaxPatternLength + 1, 'a'), true}}}}),
              "schema pattern longer than 1000 characters at #");
    EXPECT_EQ(compileError(json{{kUnusableSchemaMember, "file too deep"}}), "file too deep");
}

TEST(EngineKeywords, MultipleOfMustBePositive) {
    for (const char* text : {R"({"multipleOf": 0})", R"({"multipleOf": -1})",
                             R"({"multipleOf": 0.0})", R"({"multipleOf": "2"})"}) {
        EXPECT_EQ(compileError(json::parse(text)),
                  "schema keyword \"multipleOf\" at # must be a number greater than 0")
            << text;
    }
    EXPECT_EQ(compileError(json::parse(R"({"multipleOf": 1e-300})")), "");
}

TEST(EngineKeywords, MalformedKeywordsNameKeywordAndPlace) {
    EXPECT_EQ(compileError(json::parse(R"({"properties": {"a": {"minLength": -1}}})")),
              "schema keyword \"minLength\" at #/properties/a must be a non-negative integer");
    EXPECT_EQ(compileError(json::parse(R"({"maxItems": 1.5})")),
              "schema keyword \"maxItems\" at # must be a non-negative integer");
    EXPECT_EQ(compileError(json::parse(R"({"type": "int"})")),
              "schema keyword \"type\" at # must be a type name or an array of type names");
    EXPECT_EQ(compileError(json::parse(R"({"type": []})")),
              "schema keyword \"type\" at # must be a type name or an array of type names");
    EXPECT_EQ(compileError(json::parse(R"({"required": ["a", 1]})")),
              "schema keyword \"required\" at # must be an array of strings");
    EXPECT_EQ(compileError(json::parse(R"({"items": 3})")),
              "schema keyword \"items\" at # must be a schema");
    EXPECT_EQ(compileError(json::parse(R"({"allOf": []})")),
              "schema keyword \"allOf\" at # must be a non-empty array of schemas");
    EXPECT_EQ(compileError(json::parse("[1]")), "schema at # is neither an object nor a boolean");
    // Unknown keywords and annotations are no business of the engine.
    EXPECT_EQ(compileError(json::parse(R"({"format": "date", "x-custom": [1], "title": 3})")), "");
    // 2.0 is an integer.
    EXPECT_EQ(compileError(json::parse(R"({"maxLength": 2.0})")), "");
}

TEST(EngineKeywords, PatternsRe2CannotRunAreNamedErrors) {
    EXPECT_EQ(compileError(json{{"pattern", "(a)\\1"}}),
              "schema pattern \"(a)\\\\1\" at # cannot be used: back-references are not supported");
    EXPECT_EQ(compileError(json{{"properties", {{"x", {{"pattern", "a(?=b)"}}}}}}),
              "schema pattern \"a(?=b)\" at #/properties/x cannot be used: look-ahead is not "
              "supported");
    EXPECT_EQ(compileError(json{{"patternProperties", {{"(?<!a)b", true}}}}),
              "schema pattern \"(?<!a)b\" at # cannot be used: look-behind is not supported");
    EXPECT_EQ(compileError(json{{"pattern", "(?<n>a)\\k<n>"}}),
              "schema pattern \"(?<n>a)\\\\k<n>\" at # cannot be used: back-references are not "
              "supported");
    // Malformed for RE2 as well: its own words.
    EXPECT_NE(compileError(json{{"pattern", "(a"}}).find("cannot be used: "), std::string::npos);
}

// The built-in schemas must compile on the engine and accept the examples.
TEST(EngineCatalog, EmbeddedSchemasCompile) {
    MapSource documents;
    for (const std::string& id : schemaIds()) {
        const json schema = embeddedSchema(id);
        ASSERT_TRUE(schema.is_object()) << id;
        documents.add(schema.value("$id", std::string()), schema);
    }
    for (const std::string& id : schemaIds()) {
        const json schema = embeddedSchema(id);
        EXPECT_EQ(compileError(schema, &documents), "") << id;
    }
}

// The embedded meta-schema judges schemas, the built-in ones included.
TEST(EngineCatalog, MetaSchemaAcceptsTheBuiltInSchemas) {
    const SchemaCompilation meta = compileJson(json::parse(kDraft07MetaSchemaText));
    ASSERT_TRUE(meta.schema) << meta.error;
    for (const std::string& id : schemaIds())
        EXPECT_TRUE(evaluateJson(*meta.schema, embeddedSchema(id)).issues.empty()) << id;
    const ValidationResult bad =
        evaluateJson(*meta.schema, json::parse(R"({"minLength": -1, "type": "int"})"));
    EXPECT_EQ(paths(bad), (std::vector<std::string>{"/minLength", "/type"}));

    // Reached by its location, as a "$ref" names it.
    MapSource documents;
    documents.add(kDraft07MetaSchemaUri, json::parse(kDraft07MetaSchemaText));
    const json refers = {{"$ref", std::string(kDraft07MetaSchemaUri) + "#"}};
    const SchemaCompilation viaRef = compileJson(refers, &documents);
    ASSERT_TRUE(viaRef.schema) << viaRef.error;
    EXPECT_TRUE(evaluateJson(*viaRef.schema, json{{"minLength", 1}}).issues.empty());
    EXPECT_FALSE(evaluateJson(*viaRef.schema, json{{"minLength", -1}}).ok);
}

}  // namespace
}  // namespace OrvexConfigValidate
