// Schema directory snapshots: what is read, when it is read again, and what
// a reference can reach.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "TempSchemaDir.hpp"
#include "schemas/SchemaDirectory.hpp"
#include "schemas/SchemaSet.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

std::size_t row(const std::string& id) {
    return *catalogIndex(id);
}

const json& documentOf(const DirectorySnapshot& snapshot, const std::string& id) {
    return *snapshot.schemas->documents()[row(id)];
}

std::shared_ptr<const DirectorySnapshot> read(const TempSchemaDir& dir) {
    return readSchemaDirectory(dir.path(), nullptr);
}

// Sets the modification time of a file without touching its bytes.
void setModified(const std::string& path, std::time_t seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// A snapshot whose files count as old: only the stamps decide.
std::shared_ptr<const DirectorySnapshot> readTrusted(const TempSchemaDir& dir) {
    auto snapshot = read(dir);
    snapshot->settled = true;
    return snapshot;
}

TEST(SchemaCatalog, RowsAreExactIds) {
    EXPECT_EQ(catalogIndex("BridgingConfiguration"), 0u);
    EXPECT_EQ(catalogIndex("enums"), 5u);
    for (const char* id : {"Group.schema.json", "group", " Group", "", "Extra"})
        EXPECT_FALSE(catalogIndex(id).has_value()) << id;
    // The embedded set is one per process and holds the parsed texts.
    EXPECT_EQ(SchemaSet::embedded().get(), SchemaSet::embedded().get());
    for (std::size_t i = 0; i < kEmbeddedSchemaCount; ++i)
        EXPECT_EQ(*SchemaSet::embedded()->documents()[i], embeddedSchema(kEmbeddedSchemas[i].id));
}

TEST(SchemaCatalog, UrisNameDocumentsByTheirLastSegmentOnly) {
    const SchemaSet& set = *SchemaSet::embedded();
    const auto group = set.documents()[row("Group")];
    for (const char* uri : {"https://schemas.orvex.example/schemas/Group.schema.json",
                            "https://elsewhere.example/a/b/Group.json", "/Group.schema.json",
                            "/common/common/Group.schema.json", "/x/../../Group.schema.json",
                            "file:///etc/Group.schema.json", "Group"})
        EXPECT_EQ(set.documentFor(uri), group) << uri;
    for (const char* uri : {"file:///etc/passwd", "/group.schema.json", "urn:cfg:Extra",
                            "https://schemas.orvex.example/schemas/"})
        EXPECT_EQ(set.documentFor(uri), nullptr) << uri;
}

TEST(SchemaSnapshot, CommonWinsAndUnusableFilesKeepTheEmbeddedDocument) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", R"({"title": "plain"})");
    dir.write("common/Group.schema.json", R"({"title": "common"})");
    dir.write("Obs.schema.json", R"({"title": "plain"})");
    dir.write("common/Obs.schema.json", "{\"title\": ");  // malformed: the plain one holds
    dir.write("enums.schema.json", "");
    dir.write("NetworkAddress.schema.json", "{} trailing ][ garbage");
    dir.write("Extra.schema.json", "{}");
    const auto snapshot = read(dir);
    EXPECT_EQ(documentOf(*snapshot, "Group")["title"], "common");
    EXPECT_EQ(documentOf(*snapshot, "Obs")["title"], "plain");
    EXPECT_EQ(documentOf(*snapshot, "enums"), embeddedSchema("enums"));
    EXPECT_EQ(documentOf(*snapshot, "NetworkAddress"), json::object());
    EXPECT_EQ(documentOf(*snapshot, "BridgingConfiguration"),
              embeddedSchema("BridgingConfiguration"));
    EXPECT_TRUE(snapshot->replaced[row("Group")]);
    EXPECT_TRUE(snapshot->replaced[row("NetworkAddress")]);
    EXPECT_FALSE(snapshot->replaced[row("enums")]);
    EXPECT_FALSE(snapshot->replaced[row("BridgingConfiguration")]);
    // The embedded documents themselves are shared, not copied.
    EXPECT_EQ(snapshot->schemas->documents()[row("enums")],
              SchemaSet::embedded()->documents()[row("enums")]);
}

TEST(SchemaSnapshot, OnlyRegularFilesAreRead) {
    TempSchemaDir dir;
    const fs::path root = dir.path();
    fs::create_directories(root / "common");
    ASSERT_EQ(mkfifo((root / "Group.schema.json").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((root / "common/Group.schema.json").c_str(), 0600), 0);
    fs::create_directories(root / "Obs.schema.json");
    fs::create_symlink("enums.schema.json", root / "enums.schema.json");
    fs::create_symlink("/dev/zero", root / "NetworkAddress.schema.json");
    fs::create_symlink("/dev/null", root / "common/NetworkAddress.schema.json");
    const auto started = std::chrono::steady_clock::now();
    const auto snapshot = read(dir);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    for (std::size_t i = 0; i < kEmbeddedSchemaCount; ++i) {
        EXPECT_FALSE(snapshot->replaced[i]) << kEmbeddedSchemas[i].id;
        EXPECT_EQ(snapshot->schemas->documents()[i], SchemaSet::embeddedDocuments()[i]);
    }
    for (const auto& file : snapshot->files) EXPECT_FALSE(file.stamp.usable);
    // A symlink to a regular file is read like the file.
    dir.write("target.json", R"({"title": "linked"})");
    fs::remove(root / "Obs.schema.json");
    fs::create_symlink("target.json", root / "Obs.schema.json");
    EXPECT_EQ(documentOf(*read(dir), "Obs")["title"], "linked");
}

TEST(SchemaSnapshot, StampsChangeWithSizeTimeAndInode) {
    TempSchemaDir dir;
    const std::string path = dir.path() + "/Group.schema.json";
    dir.write("Group.schema.json", R"({"title": "a"})");
    setModified(path, 1000000000);
    const FileStamp first = stampSchemaFile(path);
    ASSERT_TRUE(first.usable);
    EXPECT_EQ(stampSchemaFile(path), first);

    FileStamp modifiedOnly = first;
    modifiedOnly.modified.tv_nsec += 1;
    EXPECT_NE(modifiedOnly, first);
    FileStamp sizeOnly = first;
    sizeOnly.size += 1;
    EXPECT_NE(sizeOnly, first);
    FileStamp inodeOnly = first;
    inodeOnly.inode += 1;
    EXPECT_NE(inodeOnly, first);
    // Unusable entries are alike whatever they are.
    EXPECT_EQ(stampSchemaFile(dir.path() + "/absent"), stampSchemaFile(dir.path()));

    setModified(path, 1000000001);
    EXPECT_NE(stampSchemaFile(path), first);
}

TEST(SchemaSnapshot, TrustedSnapshotFollowsTheStamps) {
    TempSchemaDir dir;
    const std::string path = dir.path() + "/Group.schema.json";
    dir.write("Group.schema.json", R"({"title": "a"})");
    auto snapshot = readTrusted(dir);
    EXPECT_TRUE(snapshotIsCurrent(*snapshot));

    // Same bytes, other modification time.
    setModified(path, 1000000000);
    EXPECT_FALSE(snapshotIsCurrent(*snapshot));
    snapshot = readTrusted(dir);
    EXPECT_TRUE(snapshotIsCurrent(*snapshot));

    // Same size and modification time, other bytes: the change time tells.
    dir.write("Group.schema.json", R"({"title": "b"})");
    setModified(path, 1000000000);
    EXPECT_FALSE(snapshotIsCurrent(*snapshot));
    snapshot = readTrusted(dir);
    EXPECT_EQ(documentOf(*snapshot, "Group")["title"], "b");

    // Another inode with the same bytes and time.
    dir.write("copy.json", R"({"title": "b"})");
    setModified(dir.path() + "/copy.json", 1000000000);
    ASSERT_EQ(std::rename((dir.path() + "/copy.json").c_str(), path.c_str()), 0);
    EXPECT_FALSE(snapshotIsCurrent(*snapshot));

    // Files that appear or disappear, under either name.
    snapshot = readTrusted(dir);
    dir.write("common/Obs.schema.json", "{}");
    EXPECT_FALSE(snapshotIsCurrent(*snapshot));
    snapshot = readTrusted(dir);
    fs::remove(path);
    EXPECT_FALSE(snapshotIsCurrent(*snapshot));
    // A FIFO appearing where nothing was is still nothing.
    snapshot = readTrusted(dir);
    ASSERT_EQ(mkfifo((dir.path() + "/enums.schema.json").c_str(), 0600), 0);
    EXPECT_TRUE(snapshotIsCurrent(*snapshot));
}

TEST(SchemaSnapshot, FreshFilesAreConfirmedByTheirBytes) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", R"({"title": "a"})");
    const auto snapshot = read(dir);
    // Just written: the stamps alone are not trusted yet, but unchanged
    // bytes still keep the snapshot.
    EXPECT_FALSE(snapshot->settled.load());
    EXPECT_TRUE(snapshotIsCurrent(*snapshot));
    EXPECT_TRUE(snapshotIsCurrent(*snapshot));
    dir.write("Group.schema.json", R"({"title": "b"})");
    EXPECT_FALSE(snapshotIsCurrent(*snapshot));
}

TEST(SchemaDirectoryCache, ReusesSnapshotsUntilAFileChanges) {
    TempSchemaDir dir;
    dir.write("Group.schema.json", R"({"title": "a"})");
    dir.write("Obs.schema.json", R"({"title": "o"})");
    SchemaDirectoryCache cache;
    const auto first = cache.snapshot(dir.path());
    EXPECT_EQ(cache.snapshot(dir.path()), first);
    // The text of the directory is the key: another spelling is read apart.
    const auto spelled = cache.snapshot(dir.path() + "/");
    EXPECT_NE(spelled, first);
    EXPECT_EQ(documentOf(*spelled, "Group")["title"], "a");

    dir.write("Group.schema.json", R"({"title": "changed"})");
    const auto second = cache.snapshot(dir.path());
    ASSERT_NE(second, first);
    EXPECT_EQ(documentOf(*second, "Group")["title"], "changed");
    // The unchanged file keeps its parsed document; the set is new.
    EXPECT_EQ(second->schemas->documents()[row("Obs")], first->schemas->documents()[row("Obs")]);
    EXPECT_NE(second->schemas, first->schemas);
    // The earlier snapshot is untouched for whoever still holds it.
    EXPECT_EQ(documentOf(*first, "Group")["title"], "a");
}

TEST(SchemaDirectoryCache, ManyDirectoriesStayBounded) {
    SchemaDirectoryCache cache;
    TempSchemaDir dir;
    dir.write("Group.schema.json", R"({"title": "kept"})");
    const auto held = cache.snapshot(dir.path());
    for (int i = 0; i < 100; ++i) cache.snapshot(dir.path() + "/none" + std::to_string(i));
    // Forgotten by the cache, still whole for its holder.
    EXPECT_EQ(documentOf(*held, "Group")["title"], "kept");
    EXPECT_NE(cache.snapshot(dir.path()), held);
}

}  // namespace
}  // namespace OrvexConfigValidate
