// Schema directories: the embedded six overlaid by "<dir>/<id>.schema.json",
// then "<dir>/common/<id>.schema.json" (the latter wins), read into a
// snapshot that is reused until one of its twelve files changes.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Validation.hpp>

#include "schemas/SchemaFile.hpp"
#include "schemas/SchemaSet.hpp"

namespace OrvexConfigValidate {

inline constexpr std::size_t kSchemaDirectoryFiles = 2 * kEmbeddedSchemaCount;

// The two paths of a catalog row, in reading order: "<dir>/<id>.schema.json"
// then "<dir>/common/<id>.schema.json". The directory is used as given.
std::array<std::string, 2> schemaFilePaths(const std::string& dir, std::size_t index);

struct DirectorySnapshot {
    struct File {
        FileStamp stamp;
        std::string bytes;                             // as read, when usable
        std::shared_ptr<const nlohmann::json> parsed;  // null unless one JSON value
        std::string problem;                           // why a file that was read has no document
    };
    std::string dir;
    // Catalog row i has files 2i and 2i + 1.
    std::array<File, kSchemaDirectoryFiles> files;
    std::shared_ptr<const SchemaSet> schemas;
    // Which rows a file of the directory replaced.
    std::array<bool, kEmbeddedSchemaCount> replaced{};
    // When a file was written shortly before it was read, a later write in
    // the same clock tick leaves its stamp unchanged; such a snapshot is
    // confirmed by its bytes until its files are old enough to trust.
    std::timespec readAt{};
    mutable std::atomic<bool> settled{false};
};

// What the snapshot's directory held, row by row (see describeSchemaDirectory).
std::vector<SchemaDirectoryEntry> describeSnapshot(const DirectorySnapshot& snapshot);

// Reads the directory afresh; `previous` (may be null) lends the parsed
// documents of files that did not change.
std::shared_ptr<const DirectorySnapshot> readSchemaDirectory(const std::string& dir,
                                                             const DirectorySnapshot* previous);

// True when the snapshot still shows what the directory holds now.
bool snapshotIsCurrent(const DirectorySnapshot& snapshot);

// Snapshots by directory text, shared by every call that names the same
// directory. The lock covers the map only; reading and compiling happen
// outside it.
class SchemaDirectoryCache {
  public:
    std::shared_ptr<const DirectorySnapshot> snapshot(const std::string& dir);

  private:
    // Directories beyond this many are forgotten, oldest use first.
    static constexpr std::size_t kMaxDirectories = 32;

    struct Entry {
        std::shared_ptr<const DirectorySnapshot> snapshot;
        unsigned long long lastUse = 0;
    };
    std::mutex mutex;
    std::map<std::string, Entry> entries;
    unsigned long long uses = 0;
};

}  // namespace OrvexConfigValidate
