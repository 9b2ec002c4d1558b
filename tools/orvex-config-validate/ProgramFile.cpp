#include "ProgramFile.hpp"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <fstream>

namespace OrvexConfigValidate::Tool {

namespace {

struct Mapping {
    unsigned major = 0;
    unsigned minor = 0;
    std::uint64_t inode = 0;
    std::string path;
};

// One line of /proc/self/maps: "start-end perms offset major:minor inode path".
std::optional<Mapping> mappingHolding(const std::string& line, std::uintptr_t address) {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    Mapping mapping;
    int pathAt = 0;
    if (std::sscanf(line.c_str(), "%" SCNxPTR "-%" SCNxPTR " %*s %*x %x:%x %" SCNu64 " %n", &start,
                    &end, &mapping.major, &mapping.minor, &mapping.inode, &pathAt) != 5 ||
        address < start || address >= end || pathAt <= 0) {
        return std::nullopt;
    }
    mapping.path = line.substr(static_cast<std::size_t>(pathAt));
    return mapping;
}

std::optional<Mapping> ownMapping() {
    const auto address = reinterpret_cast<std::uintptr_t>(&startedProgramFile);
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (auto mapping = mappingHolding(line, address)) return mapping;
    }
    return std::nullopt;
}

bool sameFile(const struct stat& status, const Mapping& mapping) {
    return major(status.st_dev) == mapping.major && minor(status.st_dev) == mapping.minor &&
           status.st_ino == mapping.inode;
}

}  // namespace

std::optional<std::string> startedProgramFile() {
    const std::optional<Mapping> mapping = ownMapping();
    // A path of a replaced file ends in " (deleted)" and names nothing.
    if (!mapping || mapping->path.empty() || mapping->path.front() != '/') return std::nullopt;
    struct stat started {};
    struct stat named {};
    if (::stat("/proc/self/exe", &started) != 0 || ::stat(mapping->path.c_str(), &named) != 0) {
        return std::nullopt;
    }
    if (!sameFile(started, *mapping) || !sameFile(named, *mapping)) return std::nullopt;
    return mapping->path;
}

}  // namespace OrvexConfigValidate::Tool
