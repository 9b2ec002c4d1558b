#include <gtest/gtest.h>

#include "SchemaIssues.hpp"
#include "TempSchemaDir.hpp"
#include "schemas/SchemaEngine.hpp"

// Replacements stay in force for the rest of the process; every test runs in
// its own process, so none depends on another.
namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

// A group schema that also demands a "name".
const char kStrictGroup[] = R"({"type": "object", "required": ["id", "type", "name"]})";

ValidateOptions inDir(const std::string& dir) {
    ValidateOptions options;
    options.schemaDir = dir;
    return options;
}

const json kGroup = {{"id", "g"}, {"type", 1}};
const json kServer = {{"enginePolicy", json::object()}};

TEST(SchemaEngineState, LookupsAreExactAndCopiesAreDeep) {
    SchemaEngine& engine = SchemaEngine::instance();
    EXPECT_EQ(&engine, &SchemaEngine::instance());
    engine.ensureLoaded();
    for (const std::string& id : schemaIds()) EXPECT_TRUE(engine.hasSchema(id)) << id;
    for (const char* id : {"Group.schema.json", "group", " Group", ""})
        EXPECT_FALSE(engine.hasSchema(id)) << id;
    EXPECT_TRUE(engine.getSchema("Extra").is_null());
    EXPECT_FALSE(engine.hasSchema("Extra"));

    json copy = engine.getSchema("Group");
    copy["required"] = json::array();
    EXPECT_EQ(engine.getSchema("Group"), embeddedSchema("Group"));

    json out = 7;
    EXPECT_FALSE(engine.resolveRef("Missing.schema.json", out));
    EXPECT_EQ(out, 7);
    EXPECT_TRUE(engine.resolveRef("https://elsewhere.example/x/enums.schema.json # ", out));
    EXPECT_EQ(out, embeddedSchema("enums"));
}

TEST(SchemaDirectory, StricterGroupAppliesEverywhereAndStaysInForce) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", kStrictGroup);
    EXPECT_EQ(schemaIssues("Group", kGroup, inDir(dir.path())).size(), 1u);
    EXPECT_EQ(schemaIssues("BridgingConfiguration", json{{"groups", {kGroup}}}).size(), 1u);
    EXPECT_EQ(
        schemaIssues("Obs", json{{"server", kServer}, {"bridges", {{"groups", {kGroup}}}}}).size(),
        1u);
    json named = kGroup;
    named["name"] = "n";
    EXPECT_TRUE(schemaIssues("Group", named).empty());
    // A directory without the file does not bring the embedded one back.
    TempSchemaDir other;
    EXPECT_EQ(schemaIssues("Group", kGroup, inDir(other.path())).size(), 1u);
}

TEST(SchemaDirectory, CommonIsReadSecondAndWinsUnlessMalformed) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", kStrictGroup);
    dir.write("common/Group.schema.json", R"({"type": "string"})");
    EXPECT_EQ(schemaIssues("Group", kGroup, inDir(dir.path())).size(), 1u);
    EXPECT_TRUE(schemaIssues("Group", "text").empty());

    TempSchemaDir broken;
    broken.write("Group.schema.json", kStrictGroup);
    broken.write("common/Group.schema.json", "{\"type\": ");
    EXPECT_TRUE(schemaIssues("Group", "text", inDir(broken.path())).size() == 1u);
    EXPECT_EQ(SchemaEngine::instance().getSchema("Group"), json::parse(kStrictGroup));
}

TEST(SchemaDirectory, UnreadableOrEmptyFilesKeepTheEmbeddedDocument) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", "not json");
    dir.write("common/Group.schema.json", "");
    std::filesystem::create_directories(std::filesystem::path(dir.path()) / "Obs.schema.json");
    EXPECT_EQ(schemaIssues("Group", json::object(), inDir(dir.path())).size(), 2u);
    EXPECT_EQ(SchemaEngine::instance().getSchema("Group"), embeddedSchema("Group"));
    EXPECT_EQ(SchemaEngine::instance().getSchema("Obs"), embeddedSchema("Obs"));
}

TEST(SchemaDirectory, OnlyTheFirstValueOfAFileIsRead) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", "{} trailing garbage ][");
    EXPECT_TRUE(schemaIssues("Group", json::object(), inDir(dir.path())).empty());
    EXPECT_EQ(SchemaEngine::instance().getSchema("Group"), json::object());
}

TEST(SchemaDirectory, ByteOrderMarkIsAccepted) {
    TempSchemaDir dir;
    dir.write("NetworkAddress.schema.json", std::string("\xEF\xBB\xBF") + R"({"type": "array"})");
    EXPECT_EQ(schemaIssues("NetworkAddress", json::object(), inDir(dir.path())).size(), 1u);
}

TEST(SchemaDirectory, NoSeventhIdAndMissingDirectoryIsLikeNone) {
    TempSchemaDir dir;
    dir.write("Extra.schema.json", "{}");
    const auto issues = schemaIssues("Extra", json::object(), inDir(dir.path()));
    ASSERT_EQ(issues.size(), 1u);
    EXPECT_EQ(issues[0].code, "unknown_schema");
    EXPECT_EQ(issues[0].message, "Unknown schema id: Extra");

    const auto missing = schemaIssues("Group", json::object(), inDir(dir.path() + "/absent"));
    EXPECT_EQ(describe(missing), describe(schemaIssues("Group", json::object())));
    EXPECT_EQ(missing.size(), 2u);
}

TEST(SchemaDirectory, TrailingSeparatorIsUsedAsGiven) {
    TempSchemaDir dir;
    dir.write("common/enums.schema.json", R"({"type": "object"})");
    // "<dir>//common/enums.schema.json" still names the file.
    EXPECT_EQ(schemaIssues("enums", 1, inDir(dir.path() + "/")).size(), 1u);
}

TEST(SchemaDirectory, UnusableSchemaIsReportedWhenCompiled) {
    TempSchemaDir dir;
    dir.write("NetworkAddress.schema.json", "[1, 2]");
    const auto issues = schemaIssues("NetworkAddress", json::object(), inDir(dir.path()));
    ASSERT_EQ(issues.size(), 1u) << describe(issues);
    EXPECT_EQ(issues[0].code, "schema_engine");
    EXPECT_EQ(issues[0].path, "/");
    EXPECT_FALSE(issues[0].message.empty());
}

}  // namespace
}  // namespace OrvexConfigValidate
