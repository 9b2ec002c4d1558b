#include "schemas/SchemaDirectory.hpp"

#include <algorithm>
#include <utility>

namespace OrvexConfigValidate {
namespace {

// Files written this close to being read may change again unseen.
constexpr long kTrustAfterSeconds = 2;

std::timespec now() {
    std::timespec time{};
    clock_gettime(CLOCK_REALTIME, &time);
    return time;
}

bool isOldEnough(const FileStamp& stamp, const std::timespec& at) {
    if (!stamp.usable) return true;
    const auto latest = std::max(stamp.modified.tv_sec, stamp.changed.tv_sec);
    return at.tv_sec - latest > kTrustAfterSeconds;
}

bool allOldEnough(const DirectorySnapshot& snapshot, const std::timespec& at) {
    for (const auto& file : snapshot.files) {
        if (!isOldEnough(file.stamp, at)) return false;
    }
    return true;
}

}  // namespace

std::array<std::string, 2> schemaFilePaths(const std::string& dir, std::size_t index) {
    const std::string name = std::string(kEmbeddedSchemas[index].id) + ".schema.json";
    return {dir + "/" + name, dir + "/common/" + name};
}

std::shared_ptr<const DirectorySnapshot> readSchemaDirectory(const std::string& dir,
                                                             const DirectorySnapshot* previous) {
    auto snapshot = std::make_shared<DirectorySnapshot>();
    snapshot->dir = dir;
    snapshot->readAt = now();
    SchemaSet::Documents documents = SchemaSet::embeddedDocuments();
    for (std::size_t row = 0; row < kEmbeddedSchemaCount; ++row) {
        const auto paths = schemaFilePaths(dir, row);
        for (std::size_t k = 0; k < paths.size(); ++k) {
            DirectorySnapshot::File& file = snapshot->files[2 * row + k];
            if (!readSchemaFile(paths[k], file.stamp, file.bytes)) continue;
            const DirectorySnapshot::File* before =
                previous != nullptr ? &previous->files[2 * row + k] : nullptr;
            // An unchanged file keeps its document, so that calls before and
            // after share it.
            if (before != nullptr && before->stamp == file.stamp && before->bytes == file.bytes) {
                file.parsed = before->parsed;
                file.problem = before->problem;
            } else {
                file.parsed = parseSchemaFile(file.bytes, &file.problem);
            }
            if (file.parsed) {
                documents[row] = file.parsed;
                snapshot->replaced[row] = true;
            }
        }
    }
    snapshot->schemas = std::make_shared<const SchemaSet>(std::move(documents));
    snapshot->settled = allOldEnough(*snapshot, snapshot->readAt);
    return snapshot;
}

std::vector<SchemaDirectoryEntry> describeSnapshot(const DirectorySnapshot& snapshot) {
    std::vector<SchemaDirectoryEntry> entries;
    for (std::size_t row = 0; row < kEmbeddedSchemaCount; ++row) {
        SchemaDirectoryEntry entry;
        entry.schemaId = kEmbeddedSchemas[row].id;
        const auto paths = schemaFilePaths(snapshot.dir, row);
        for (std::size_t k = 0; k < paths.size(); ++k) {
            const DirectorySnapshot::File& file = snapshot.files[2 * row + k];
            // Reading order: a later file that parses takes the place of an earlier one.
            if (file.parsed) entry.usedFile = paths[k];
            if (!file.parsed && !file.problem.empty())
                entry.ignored.push_back({paths[k], file.problem});
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<SchemaDirectoryEntry> describeSchemaDirectory(const std::string& dir) {
    if (dir.empty()) return describeSnapshot(DirectorySnapshot{});
    return describeSnapshot(*readSchemaDirectory(dir, nullptr));
}

bool snapshotIsCurrent(const DirectorySnapshot& snapshot) {
    for (std::size_t row = 0; row < kEmbeddedSchemaCount; ++row) {
        const auto paths = schemaFilePaths(snapshot.dir, row);
        for (std::size_t k = 0; k < paths.size(); ++k) {
            if (stampSchemaFile(paths[k]) != snapshot.files[2 * row + k].stamp) return false;
        }
    }
    if (snapshot.settled.load(std::memory_order_acquire)) return true;
    // The stamps agree but may be too coarse to tell: compare the bytes.
    const std::timespec checkedAt = now();
    for (std::size_t row = 0; row < kEmbeddedSchemaCount; ++row) {
        const auto paths = schemaFilePaths(snapshot.dir, row);
        for (std::size_t k = 0; k < paths.size(); ++k) {
            const DirectorySnapshot::File& file = snapshot.files[2 * row + k];
            if (!file.stamp.usable) continue;
            FileStamp stamp;
            std::string bytes;
            if (!readSchemaFile(paths[k], stamp, bytes) || stamp != file.stamp ||
                bytes != file.bytes)
                return false;
        }
    }
    if (allOldEnough(snapshot, checkedAt)) snapshot.settled.store(true, std::memory_order_release);
    return true;
}

std::shared_ptr<const DirectorySnapshot> SchemaDirectoryCache::snapshot(const std::string& dir) {
    std::shared_ptr<const DirectorySnapshot> known;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        const auto found = entries.find(dir);
        if (found != entries.end()) {
            known = found->second.snapshot;
            found->second.lastUse = ++uses;
        }
    }
    if (known && snapshotIsCurrent(*known)) return known;
    std::shared_ptr<const DirectorySnapshot> fresh = readSchemaDirectory(dir, known.get());
    const std::lock_guard<std::mutex> lock(mutex);
    if (entries.size() >= kMaxDirectories && entries.find(dir) == entries.end()) {
        auto oldest = entries.begin();
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            if (it->second.lastUse < oldest->second.lastUse) oldest = it;
        }
        entries.erase(oldest);
    }
    entries[dir] = Entry{fresh, ++uses};
    return fresh;
}

}  // namespace OrvexConfigValidate
