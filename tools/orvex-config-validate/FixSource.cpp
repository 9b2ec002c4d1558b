#include "FixSource.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "Input.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

FixRead unread(const std::string& why) {
    FixRead read;
    read.error = "cannot read file: " + why;
    return read;
}

}  // namespace

FixSource::FixSource(int fd, std::string resolved, const struct stat& status)
    : fd_(fd), resolved_(std::move(resolved)), status_(status) {}

FixSource::~FixSource() {
    ::close(fd_);
}

FixRead readFixSource(const std::string& path, std::size_t maxSize) {
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::canonical(path, ec);
    if (ec) return unread(ec.message());
    // The name was resolved just now: a link put in its place since is not
    // followed. Non-blocking, so that a FIFO put there does not hang it.
    const int fd = ::open(resolved.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return unread(std::strerror(errno));
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        return unread(std::strerror(error));
    }
    auto source = std::make_shared<const FixSource>(fd, resolved.string(), status);
    LoadedInput input = loadDescriptor(path, fd, maxSize);
    if (input.error) {
        FixRead failed;
        failed.error = input.error->message;
        return failed;
    }
    FixRead read;
    read.source = std::move(source);
    read.text = std::string(input.text());
    return read;
}

std::string changedSince(const struct stat& read, const std::string& path) {
    struct stat now {};
    if (::lstat(path.c_str(), &now) != 0) {
        return std::string("it is gone since it was read: ") + std::strerror(errno);
    }
    if (now.st_dev != read.st_dev || now.st_ino != read.st_ino) {
        return "another file took its place since it was read";
    }
    if (now.st_size != read.st_size || now.st_mtim.tv_sec != read.st_mtim.tv_sec ||
        now.st_mtim.tv_nsec != read.st_mtim.tv_nsec) {
        return "it changed since it was read";
    }
    return "";
}

}  // namespace OrvexConfigValidate::Tool
