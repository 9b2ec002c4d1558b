#include <gtest/gtest.h>

#include "ConfigGenerator.hpp"
#include "SchemaIssues.hpp"
#include "TempSchemaDir.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

const json kServer = {{"enginePolicy", json::object()}};

ValidateOptions inDir(const std::string& dir) {
    ValidateOptions options;
    options.schemaDir = dir;
    return options;
}

void expectSingle(const std::vector<Issue>& issues, const std::string& path,
                  const std::string& code, const std::string& message) {
    ASSERT_EQ(issues.size(), 1u) << describe(issues);
    EXPECT_EQ(issues[0].severity, Severity::Error);
    EXPECT_EQ(issues[0].path, path);
    EXPECT_EQ(issues[0].code, code);
    EXPECT_EQ(issues[0].message, message);
}

TEST(SchemaStage, MissingEnginePolicyIsOneIssueAtTheRoot) {
    const ValidationResult result = validate("BridgingServerConfiguration", json{{"mode", 1}}, {});
    EXPECT_FALSE(result.ok);
    expectSingle(result.issues, "/", "schema", R"(missing required member "enginePolicy")");
}

TEST(SchemaStage, OneIssuePerViolationAtItsPointer) {
    expectSingle(schemaIssues("BridgingConfiguration", json{{"bridges", {{{"lossGraceMs", -1}}}}}),
                 "/bridges/0/lossGraceMs", "schema", "-1 is less than the minimum 0");
    expectSingle(schemaIssues("Obs", json{{"server", kServer},
                                          {"bridges", {{"bridges", {{{"lossGraceMs", -1}}}}}}}),
                 "/bridges/bridges/0/lossGraceMs", "schema", "-1 is less than the minimum 0");
}

TEST(SchemaStage, SeveralViolationsKeepTheValidatorsOrder) {
    const json group = {
        {"id", ""}, {"type", 4}, {"vortapoints", {{{"host", {{"port", 65536}}}}, json::object()}}};
    const auto issues = schemaIssues("Group", group);
    ASSERT_EQ(issues.size(), 4u) << describe(issues);
    EXPECT_EQ(issues[0].path, "/id");
    EXPECT_EQ(issues[1].path, "/type");
    EXPECT_EQ(issues[1].message, "4 is not one of 0, 1, 2, 3");
    EXPECT_EQ(issues[2].path, "/vortapoints/0/host/port");
    EXPECT_EQ(issues[2].message, "65536 is greater than the maximum 65535");
    EXPECT_EQ(issues[3].path, "/vortapoints/1");
    EXPECT_EQ(issues[3].message, R"(missing required member "host")");
}

TEST(SchemaStage, SchemaIssuesPrecedeSemanticIssues) {
    const ValidationResult result = validate("Group", json{{"id", 5}, {"type", 1}}, {});
    ASSERT_FALSE(result.issues.empty());
    EXPECT_EQ(result.issues[0].code, "schema");
    EXPECT_EQ(result.issues[0].path, "/id");
}

TEST(SchemaStage, UnknownIdsAreReportedExactlyAsPassed) {
    for (const std::string id : {"group", "Group.schema.json", " Group", "Extra"}) {
        const ValidationResult result = validate(id, json::object(), {});
        EXPECT_FALSE(result.ok);
        expectSingle(result.issues, "/", "unknown_schema", "Unknown schema id: " + id);
    }
}

TEST(SchemaStage, GeneratedDocumentsPass) {
    const json bridges = json::parse(generateBridgingConfiguration(5));
    const json server = json::parse(generateServerConfiguration(3));
    EXPECT_TRUE(schemaIssues("BridgingConfiguration", bridges).empty());
    EXPECT_TRUE(schemaIssues("BridgingServerConfiguration", server).empty());
    EXPECT_TRUE(schemaIssues("Obs", json{{"server", server}, {"bridges", bridges}}).empty());
    EXPECT_TRUE(schemaIssues("Obs", json::parse(composeObs(generateServerConfiguration(1),
                                                           generateBridgingConfiguration(2))))
                    .empty());
}

TEST(SchemaStagePaths, KeysWithSlashAndTildeAreEscaped) {
    TempSchemaDir dir;
    dir.write("NetworkAddress.schema.json", R"({"properties": {
        "a/b": {"type": "integer"}, "a~b": {"type": "integer"},
        "list": {"items": {"properties": {"0": {"type": "integer"}}}}}})");
    const auto issues = schemaIssues("NetworkAddress",
                                     json{{"a/b", "x"}, {"a~b", "y"}, {"list", {1, {{"0", "z"}}}}},
                                     inDir(dir.path()));
    ASSERT_EQ(issues.size(), 3u) << describe(issues);
    EXPECT_EQ(issues[0].path, "/a~1b");
    EXPECT_EQ(issues[1].path, "/a~0b");
    EXPECT_EQ(issues[2].path, "/list/1/0");
    EXPECT_EQ(issues[0].message, R"(expected integer, found string "x")");
}

TEST(SchemaStageRefs, UnresolvableReferenceIsOneEngineIssue) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", R"({"properties": {"id": {"$ref": "Missing.schema.json"}}})");
    // The replacement has no "$id": its base is the bare path of its id.
    expectSingle(schemaIssues("Group", json::object(), inDir(dir.path())), "/", "schema_engine",
                 "cannot resolve schema $ref: /Missing.schema.json # ");
    // Every document that refers to it fails the same way; reached from an
    // embedded document, it is based at the location it was loaded from.
    const std::string fromHost =
        "cannot resolve schema $ref: https://schemas.orvex.example/schemas/Missing.schema.json # ";
    expectSingle(schemaIssues("BridgingConfiguration", json{{"groups", {json::object()}}}), "/",
                 "schema_engine", fromHost);
    expectSingle(schemaIssues("Obs", json{{"server", kServer}, {"bridges", json::object()}}), "/",
                 "schema_engine", fromHost);
    // Documents that do not refer to it are unaffected.
    EXPECT_TRUE(schemaIssues("BridgingServerConfiguration", kServer).empty());
}

TEST(SchemaStageRefs, RootReferenceToAMissingDocumentIsOneEngineIssue) {
    TempSchemaDir dir;
    dir.write("enums.schema.json", R"({"$ref": "Missing.schema.json"})");
    expectSingle(schemaIssues("enums", 1, inDir(dir.path())), "/", "schema_engine",
                 "cannot resolve schema $ref: /Missing.schema.json # ");
}

TEST(SchemaStageRefs, ReferencesResolveByTheirLastSegment) {
    TempSchemaDir dir;
    dir.write("enums.schema.json", R"({"properties": {
        "a": {"$ref": "common/NetworkAddress.schema.json"},
        "b": {"$ref": "https://elsewhere.example/x/Group.json"},
        "c": {"$ref": "Group.schema.json#/properties/id"},
        "d": {"$ref": "NetworkAddress"}}})");
    const ValidateOptions options = inDir(dir.path());
    EXPECT_TRUE(schemaIssues("enums", json::object(), options).empty());
    const auto issues = schemaIssues(
        "enums",
        json{{"a", {{"port", -1}}}, {"b", json::object()}, {"c", ""}, {"d", {{"address", 1}}}},
        options);
    ASSERT_EQ(issues.size(), 5u) << describe(issues);
    EXPECT_EQ(issues[0].path, "/a/port");
    EXPECT_EQ(issues[1].message, R"(missing required member "id")");
    EXPECT_EQ(issues[1].path, "/b");
    EXPECT_EQ(issues[3].path, "/c");
    EXPECT_EQ(issues[4].path, "/d/address");
}

TEST(SchemaStageRefs, RootReferenceToAnotherDocumentIsFollowed) {
    TempSchemaDir dir;
    dir.write("enums.schema.json", R"({"$ref": "Group.schema.json"})");
    expectSingle(schemaIssues("enums", json{{"id", "g"}}, inDir(dir.path())), "/", "schema",
                 R"(missing required member "type")");
    EXPECT_TRUE(schemaIssues("enums", json{{"id", "g"}, {"type", 0}}).empty());
}

TEST(SchemaStageRefs, CaseMattersInReferences) {
    TempSchemaDir dir;
    dir.write("enums.schema.json", R"({"items": {"$ref": "group.schema.json"}})");
    expectSingle(schemaIssues("enums", json::array(), inDir(dir.path())), "/", "schema_engine",
                 "cannot resolve schema $ref: /group.schema.json # ");
}

TEST(SchemaStage, PointersArePlainAndEmptyForTheRoot) {
    const auto issues = schemaIssues(
        "Obs",
        json{{"server", json::object()}, {"bridges", {{"bridges", {{{"lossGraceMs", -1}}}}}}});
    ASSERT_EQ(issues.size(), 2u) << describe(issues);
    EXPECT_EQ(issues[0].path, "/bridges/bridges/0/lossGraceMs");
    EXPECT_EQ(issues[0].pointer, "/bridges/bridges/0/lossGraceMs");
    EXPECT_EQ(issues[1].path, "/server");
    EXPECT_EQ(issues[1].pointer, "/server");
    const auto root = schemaIssues("Group", json::array());
    ASSERT_EQ(root.size(), 1u) << describe(root);
    EXPECT_EQ(root[0].path, "/");
    EXPECT_EQ(root[0].pointer, "");
    const auto unknown = validate("Extra", json::object(), {});
    ASSERT_EQ(unknown.issues.size(), 1u);
    EXPECT_EQ(unknown.issues[0].pointer, "");
}

TEST(SchemaStage, StrictReportsUnknownMembersAsWarnings) {
    const json group = {{"id", "g"}, {"type", 1}, {"vortapionts", json::array()}};
    EXPECT_TRUE(schemaIssues("Group", group).empty());
    ValidateOptions strict;
    strict.strict = true;
    const ValidationResult result = validate("Group", group, strict);
    const Issue* unknown = nullptr;
    for (const Issue& issue : result.issues) {
        if (issue.code == "unknown_member") unknown = &issue;
    }
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->severity, Severity::Warning);
    EXPECT_EQ(unknown->pointer, "/vortapionts");
    EXPECT_NE(unknown->hint.find("vortapoints"), std::string::npos) << unknown->hint;
}

TEST(SchemaStageRefs, TheDraft07MetaSchemaResolvesWithOrWithoutFragment) {
    TempSchemaDir dir;
    for (const char* ref :
         {"http://json-schema.org/draft-07/schema#", "http://json-schema.org/draft-07/schema"}) {
        dir.write("NetworkAddress.schema.json", json{{"$ref", ref}}.dump());
        EXPECT_TRUE(
            schemaIssues("NetworkAddress", embeddedSchema("Obs"), inDir(dir.path())).empty())
            << ref;
        const auto issues =
            schemaIssues("NetworkAddress", json{{"minLength", -1}, {"type", 7}}, inDir(dir.path()));
        ASSERT_EQ(issues.size(), 2u) << ref << "\n" << describe(issues);
        EXPECT_EQ(issues[0].code, "schema");
    }
}

}  // namespace
}  // namespace OrvexConfigValidate
