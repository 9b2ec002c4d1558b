// A file read to be fixed. Its descriptor stays open until the fixed text
// is in place, so that what is replaced is known to be the file read.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <memory>
#include <string>

namespace OrvexConfigValidate::Tool {

class FixSource {
  public:
    FixSource(int fd, std::string resolved, const struct stat& status);
    ~FixSource();
    FixSource(const FixSource&) = delete;
    FixSource& operator=(const FixSource&) = delete;

    int fd() const { return fd_; }
    // The path read, without any symbolic link: a link the operator named
    // is followed once, when read, and never again.
    const std::string& resolved() const { return resolved_; }
    // As it was just before the text was read.
    const struct stat& status() const { return status_; }

  private:
    int fd_;
    std::string resolved_;
    struct stat status_;
};

struct FixRead {
    std::shared_ptr<const FixSource> source;  // null when it could not be read
    std::string text;
    std::string error;  // "cannot read file: ..." when there is no source
};

// Reads a regular file of at most maxSize bytes and keeps it open.
FixRead readFixSource(const std::string& path, std::size_t maxSize);

// "" when path still names the file of `read` (device and inode) with the
// same size and modification time, else how it differs. A symbolic link
// now in its place is a change.
std::string changedSince(const struct stat& read, const std::string& path);

}  // namespace OrvexConfigValidate::Tool
