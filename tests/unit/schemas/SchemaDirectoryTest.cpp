#include <gtest/gtest.h>

#include "SchemaIssues.hpp"
#include "TempSchemaDir.hpp"

// Through the free validate(), replacements stay in force for later calls
// without a directory; every test runs in its own process, so none depends
// on another.
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
    // A call with another directory that lacks the file keeps it in force...
    TempSchemaDir other;
    EXPECT_EQ(schemaIssues("Group", kGroup, inDir(other.path())).size(), 1u);
    // ...and so do later calls without a directory.
    EXPECT_EQ(schemaIssues("Group", kGroup).size(), 1u);
}

TEST(SchemaDirectory, LaterReplacementsWinForCallsWithoutADirectory) {
    TempSchemaDir strict;
    strict.write("Group.schema.json", kStrictGroup);
    TempSchemaDir stringy;
    stringy.write("common/Group.schema.json", R"({"type": "string"})");
    stringy.write("NetworkAddress.schema.json", R"({"type": "array"})");
    EXPECT_EQ(schemaIssues("Group", kGroup, inDir(strict.path())).size(), 1u);
    EXPECT_EQ(schemaIssues("Group", kGroup, inDir(stringy.path())).size(), 1u);
    EXPECT_TRUE(schemaIssues("Group", "text").empty());
    EXPECT_EQ(schemaIssues("NetworkAddress", json::object()).size(), 1u);
    // Back to the first directory: its file is the most recent again.
    EXPECT_EQ(schemaIssues("Group", kGroup, inDir(strict.path())).size(), 1u);
    EXPECT_EQ(schemaIssues("Group", "text").size(), 1u);
    EXPECT_EQ(schemaIssues("Group", kGroup).size(), 1u);
    // What the first directory never replaced stays as the second left it.
    EXPECT_EQ(schemaIssues("NetworkAddress", json::object()).size(), 1u);
}

TEST(SchemaDirectory, ChangedFilesAreReadAgain) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", kStrictGroup);
    EXPECT_EQ(schemaIssues("Group", kGroup, inDir(dir.path())).size(), 1u);
    dir.write("Group.schema.json", R"({"type": "object"})");
    EXPECT_TRUE(schemaIssues("Group", kGroup, inDir(dir.path())).empty());
    // Gone: what it last held stays in force; the built-in document does not
    // come back.
    std::filesystem::remove(std::filesystem::path(dir.path()) / "Group.schema.json");
    EXPECT_TRUE(schemaIssues("Group", json::object(), inDir(dir.path())).empty());
    EXPECT_TRUE(schemaIssues("Group", json::object()).empty());
    dir.write("common/Group.schema.json", R"({"type": "string"})");
    EXPECT_TRUE(schemaIssues("Group", "text", inDir(dir.path())).empty());
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
    // The plain file holds: a string is no object, and the group lacks "name".
    EXPECT_EQ(schemaIssues("Group", "text", inDir(broken.path())).size(), 1u);
    EXPECT_EQ(schemaIssues("Group", kGroup, inDir(broken.path())).size(), 1u);
}

TEST(SchemaDirectory, UnreadableOrEmptyFilesKeepTheEmbeddedDocument) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", "not json");
    dir.write("common/Group.schema.json", "");
    std::filesystem::create_directories(std::filesystem::path(dir.path()) / "Obs.schema.json");
    EXPECT_EQ(schemaIssues("Group", json::object(), inDir(dir.path())).size(), 2u);
    EXPECT_EQ(schemaIssues("Obs", json::object(), inDir(dir.path())).size(), 2u);
}

TEST(SchemaDirectory, OnlyTheFirstValueOfAFileIsRead) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", "{} trailing garbage ][");
    EXPECT_TRUE(schemaIssues("Group", json::object(), inDir(dir.path())).empty());
    EXPECT_TRUE(schemaIssues("Group", json::array()).empty());
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

TEST(SchemaDirectoryRefs, ReferencesNeverLeaveTheDirectory) {
    TempSchemaDir outer;
    // What a reference would find if it read the disk: a string schema.
    outer.write("Group.schema.json", R"({"type": "string"})");
    const std::string outside = outer.path() + "/Group.schema.json";
    const std::string inner = outer.path() + "/inner";
    outer.write("inner/NetworkAddress.schema.json",
                json{{"properties",
                      {{"up", {{"$ref", "../Group.schema.json"}}},
                       {"deep", {{"$ref", "../../../../Group.schema.json"}}},
                       {"absolute", {{"$ref", outside}}},
                       {"file", {{"$ref", "file://" + outside}}}}}}
                    .dump());
    // Every one names the catalog's Group: the embedded one, as the inner
    // directory has none.
    EXPECT_TRUE(
        schemaIssues("NetworkAddress",
                     json{{"up", kGroup}, {"deep", kGroup}, {"absolute", kGroup}, {"file", kGroup}},
                     inDir(inner))
            .empty());
    const auto issues = schemaIssues(
        "NetworkAddress", json{{"up", "a"}, {"deep", "b"}, {"absolute", "c"}, {"file", "d"}},
        inDir(inner));
    ASSERT_EQ(issues.size(), 4u) << describe(issues);
    for (const Issue& issue : issues) EXPECT_EQ(issue.code, "schema");

    outer.write("inner/NetworkAddress.schema.json", R"({"$ref": "file:///etc/passwd"})");
    const auto unresolved = schemaIssues("NetworkAddress", 1, inDir(inner));
    ASSERT_EQ(unresolved.size(), 1u) << describe(unresolved);
    EXPECT_EQ(unresolved[0].code, "schema_engine");
    EXPECT_EQ(unresolved[0].message, "cannot resolve schema $ref: file:///etc/passwd # ");
}

}  // namespace
}  // namespace OrvexConfigValidate

namespace OrvexConfigValidate {
namespace {

const SchemaDirectoryEntry& entryOf(const std::vector<SchemaDirectoryEntry>& entries,
                                    const std::string& id) {
    for (const auto& entry : entries) {
        if (entry.schemaId == id) return entry;
    }
    throw std::runtime_error("no entry for " + id);
}

// Validation keeps passing over files that are not JSON without a word;
// describeSchemaDirectory tells which file each id takes and why others
// were passed over.
TEST(SchemaDirectoryDescription, NamesTheUsedFileAndWhyOthersAreIgnored) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", R"({"type": "object", "required": ["name"],})");
    dir.write("common/Group.schema.json", R"({"type": "object", "required": ["name"]})");
    dir.write("Obs.schema.json", "\xEF\xBB\xBF\xEF\xBB\xBF{}");
    dir.write("NetworkAddress.schema.json", R"({"title": "\ud800"})");
    dir.write("enums.schema.json", "not json");
    const auto entries = describeSchemaDirectory(dir.path());
    ASSERT_EQ(entries.size(), schemaIds().size());
    for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].schemaId, schemaIds()[i]);

    const SchemaDirectoryEntry& group = entryOf(entries, "Group");
    EXPECT_EQ(group.usedFile, dir.path() + "/common/Group.schema.json");
    ASSERT_EQ(group.ignored.size(), 1u);
    EXPECT_EQ(group.ignored[0].path, dir.path() + "/Group.schema.json");
    EXPECT_EQ(group.ignored[0].problem.rfind("parse error at line 1, column 41: ", 0), 0u)
        << group.ignored[0].problem;
    for (const char* id : {"Obs", "NetworkAddress", "enums"}) {
        const SchemaDirectoryEntry& entry = entryOf(entries, id);
        EXPECT_EQ(entry.usedFile, "") << id;
        ASSERT_EQ(entry.ignored.size(), 1u) << id;
        EXPECT_EQ(entry.ignored[0].path, dir.path() + "/" + id + ".schema.json");
        EXPECT_NE(entry.ignored[0].problem.find("parse error"), std::string::npos)
            << entry.ignored[0].problem;
    }
    EXPECT_NE(entryOf(entries, "NetworkAddress").ignored[0].problem.find("surrogate"),
              std::string::npos);
    const SchemaDirectoryEntry& server = entryOf(entries, "BridgingServerConfiguration");
    EXPECT_EQ(server.usedFile, "");
    EXPECT_TRUE(server.ignored.empty());

    // Validation itself: the common file applies, the others keep the embedded schema.
    EXPECT_EQ(schemaIssues("Group", kGroup, inDir(dir.path())).size(), 1u);
    EXPECT_EQ(describe(schemaIssues("NetworkAddress", json::object(), inDir(dir.path()))),
              describe(schemaIssues("NetworkAddress", json::object())));
}

TEST(SchemaDirectoryDescription, MissingOrEmptyDirectoryUsesTheEmbeddedSchemas) {
    for (const std::string dir : {"", "/nonexistent/orvex-schemas"}) {
        const auto entries = describeSchemaDirectory(dir);
        ASSERT_EQ(entries.size(), schemaIds().size());
        for (const auto& entry : entries) {
            EXPECT_EQ(entry.usedFile, "");
            EXPECT_TRUE(entry.ignored.empty());
        }
    }
}

}  // namespace
}  // namespace OrvexConfigValidate
