#include "ExtendedAttributes.hpp"

#include <sys/xattr.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <set>
#include <vector>

namespace OrvexConfigValidate::Tool {

namespace {

// A list or value may change between asking its size and reading it.
constexpr int kAttempts = 4;

struct Names {
    std::set<std::string> names;
    std::string error;  // the system's reason when they could not be listed
};

bool unsupported(int error) {
    return error == ENOTSUP || error == EOPNOTSUPP;
}

Names namesOf(int fd) {
    Names out;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size <= 0) {
            if (size < 0 && !unsupported(errno)) out.error = std::strerror(errno);
            return out;
        }
        std::vector<char> list(static_cast<std::size_t>(size));
        const ssize_t got = ::flistxattr(fd, list.data(), list.size());
        if (got < 0 && errno == ERANGE) continue;
        if (got < 0) {
            out.error = std::strerror(errno);
            return out;
        }
        // NUL-terminated names, one after the other.
        const auto end = static_cast<std::size_t>(got);
        for (std::size_t at = 0; at < end;) {
            const std::size_t length = ::strnlen(list.data() + at, end - at);
            out.names.emplace(list.data() + at, length);
            at += length + 1;
        }
        return out;
    }
    out.error = "the list keeps changing";
    return out;
}

std::optional<std::vector<char>> valueOf(int fd, const std::string& name) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
        if (size < 0) return std::nullopt;
        std::vector<char> value(static_cast<std::size_t>(size));
        const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            return value;
        }
        if (errno != ERANGE) return std::nullopt;
    }
    errno = ERANGE;
    return std::nullopt;
}

std::string cannotKeep(const std::string& name) {
    return "cannot keep its extended attribute '" + name + "': " + std::strerror(errno);
}

}  // namespace

std::string copyExtendedAttributes(int from, int to) {
    const Names source = namesOf(from);
    if (!source.error.empty()) return "cannot list its extended attributes: " + source.error;
    for (const std::string& name : source.names) {
        const std::optional<std::vector<char>> value = valueOf(from, name);
        if (!value || ::fsetxattr(to, name.c_str(), value->data(), value->size(), 0) != 0) {
            return cannotKeep(name);
        }
    }
    const Names inherited = namesOf(to);
    if (!inherited.error.empty()) return "cannot list the new file's extended attributes";
    for (const std::string& name : inherited.names) {
        if (source.names.count(name) == 0 && ::fremovexattr(to, name.c_str()) != 0) {
            return "cannot leave out the extended attribute '" + name +
                   "' that the new file got from its folder: " + std::strerror(errno);
        }
    }
    return "";
}

}  // namespace OrvexConfigValidate::Tool
