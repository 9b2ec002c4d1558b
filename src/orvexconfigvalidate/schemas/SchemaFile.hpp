// Reading one file of a schema directory without trusting what lies there.
#pragma once

#include <cstddef>
#include <ctime>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

// What identifies the content of a file without reading it. Anything that is
// not a regular file (absent, a directory, a FIFO, a device, a symlink loop)
// is "not usable" and compares equal to every other unusable one.
struct FileStamp {
    bool usable = false;
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    std::timespec modified{};
    std::timespec changed{};

    bool operator==(const FileStamp& other) const;
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// Files larger than this are not usable as schemas.
inline constexpr std::size_t kMaxSchemaFileBytes = 64u << 20;

// The stamp of the path as it is now (symlinks followed).
FileStamp stampSchemaFile(const std::string& path);

// Reads the whole file when it is a usable regular file: returns true with
// its bytes and the stamp of what was read. Never blocks on a FIFO or a
// device, never follows a symlink loop.
bool readSchemaFile(const std::string& path, FileStamp& stamp, std::string& bytes);

// The first JSON value of the bytes (a UTF-8 byte order mark skipped,
// whatever follows the value ignored), or null when there is none; then
// `problem` (when given) says why.
std::shared_ptr<const nlohmann::json> parseSchemaFile(const std::string& bytes,
                                                      std::string* problem = nullptr);

}  // namespace OrvexConfigValidate
