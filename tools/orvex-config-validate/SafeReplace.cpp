#include "SafeReplace.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "ExtendedAttributes.hpp"
#include "Output.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Ownership first: changing it may clear the set-user-ID and set-group-ID
// bits, which the mode then puts back.
std::string keepOwnerAndMode(const struct stat& status, int fd) {
    if (::fchown(fd, status.st_uid, status.st_gid) != 0) {
        return systemError("cannot keep its owner and group (uid " + std::to_string(status.st_uid) +
                           ", gid " + std::to_string(status.st_gid) + ")");
    }
    if (::fchmod(fd, status.st_mode & 07777) != 0) return systemError("cannot keep its mode");
    return "";
}

}  // namespace

std::string replaceRefusal(const FixSource& source) {
    const struct stat& status = source.status();
    // The owner may write anything; a file nobody may write is meant to stay.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
        ::access(source.resolved().c_str(), W_OK) != 0) {
        return "the file is read-only";
    }
    // A new file renamed over one name would leave the other names the old text.
    if (status.st_nlink > 1) {
        return "it has " + std::to_string(status.st_nlink) +
               " hard links, which a new file in its place would part";
    }
    return "";
}

Replacement::Replacement(std::shared_ptr<const FixSource> source, const std::string& text)
    : source_(std::move(source)) {
    const std::filesystem::path path(source_->resolved());
    std::string temporary =
        (path.parent_path() / ("." + path.filename().string() + ".fix-XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        problem_ = systemError("cannot create a file beside it");
        return;
    }
    temporary_ = std::move(temporary);
    problem_ = write(fd, text);
    if (::close(fd) != 0 && problem_.empty()) problem_ = systemError("cannot write it");
}

std::string Replacement::write(int fd, const std::string& text) const {
    std::string problem = keepOwnerAndMode(source_->status(), fd);
    if (problem.empty()) problem = copyExtendedAttributes(source_->fd(), fd);
    if (!problem.empty()) return problem;
    const WriteResult written = writeAll(fd, text);
    if (written.outcome != WriteOutcome::Written) return "cannot write it: " + written.error;
    return ::fsync(fd) == 0 ? "" : systemError("cannot write it");
}

Replacement::~Replacement() {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

Replacement::Replacement(Replacement&& other) noexcept
    : source_(std::move(other.source_)),
      temporary_(std::move(other.temporary_)),
      problem_(std::move(other.problem_)) {
    other.temporary_.clear();
}

std::string Replacement::changed() const {
    return changedSince(source_->status(), source_->resolved());
}

std::string Replacement::putInPlace() {
    std::string problem = changed();
    if (!problem.empty()) return problem;
    if (::rename(temporary_.c_str(), source_->resolved().c_str()) != 0) {
        return systemError("cannot put the fixed file in its place");
    }
    temporary_.clear();
    return "";
}

}  // namespace OrvexConfigValidate::Tool
