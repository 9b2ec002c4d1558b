#include "model/FolderWalk.hpp"

#include <sys/stat.h>
#if defined(__linux__)
#include <linux/magic.h>
#include <sys/statfs.h>
#endif

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

#include <orvexconfigvalidate/Configuration.hpp>

#include "model/Paths.hpp"

namespace OrvexConfigValidate {

namespace {

namespace fs = std::filesystem;

using Clock = std::chrono::steady_clock;

// The kernel's own file systems: wherever they are mounted, they hold no
// configuration. devtmpfs tells itself apart from tmpfs by its place only.
bool isSystemFolder(const std::string& directory, bool mountPoint) {
    if (directory == "/dev" || directory == "/proc" || directory == "/sys") return true;
#if defined(__linux__)
    if (!mountPoint) return false;
    static constexpr std::array<unsigned long, 12> kKinds = {
        PROC_SUPER_MAGIC,    SYSFS_MAGIC,    DEVPTS_SUPER_MAGIC, CGROUP_SUPER_MAGIC,
        CGROUP2_SUPER_MAGIC, DEBUGFS_MAGIC,  TRACEFS_MAGIC,      SECURITYFS_MAGIC,
        BPF_FS_MAGIC,        PSTOREFS_MAGIC, EFIVARFS_MAGIC,     BINFMTFS_MAGIC};
    struct statfs info {};
    if (::statfs(directory.c_str(), &info) != 0) return false;
    const auto kind = static_cast<unsigned long>(info.f_type);
    return std::find(kKinds.begin(), kKinds.end(), kind) != kKinds.end();
#else
    // Elsewhere (a WebAssembly host) there are no such file systems to tell.
    (void)mountPoint;
    return false;
#endif
}

class FolderWalk {
  public:
    FolderWalk(std::string root, const WalkBounds& bounds)
        : root_(std::move(root)), bounds_(bounds), started_(Clock::now()) {}

    void walk(const std::string& directory, std::uint64_t depth, dev_t parent) {
        if (stopped_) return;
        struct stat info {};
        if (::stat(directory.c_str(), &info) != 0) return;
        // A symbolic link back up the tree would otherwise never end.
        if (!visited_.insert({info.st_dev, info.st_ino}).second) return;
        if (depth > 0 && bounds_.skipSystemFolders &&
            isSystemFolder(directory, info.st_dev != parent)) {
            return;
        }
        if (bounds_.maxDepth != 0 && depth > bounds_.maxDepth) {
            // Deeper folders are passed by; their siblings are still read.
            stop("depth", false);
            return;
        }
        std::vector<std::string> names;
        if (!list(directory, names)) return;
        ++tree.summary.folders;
        WalkedFolder folder{directory};
        std::vector<std::string> subfolders;
        for (const auto& name : names) {
            const std::string path = joinPath(directory, name);
            if (!followable(path)) continue;
            std::error_code ec;
            if (fs::is_directory(path, ec)) {
                if (name[0] != '.') subfolders.push_back(path);
            } else if (name == kServerFileName) {
                folder.hasServer = true;
            } else if (name == kBridgesFileName) {
                folder.hasBridges = true;
            }
        }
        if (folder.hasServer || folder.hasBridges) tree.folders.push_back(folder);
        for (const auto& subfolder : subfolders) walk(subfolder, depth + 1, info.st_dev);
    }

    void finish() {
        tree.summary.took =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_);
    }

    WalkedTree tree;

  private:
    void stop(const char* bound, bool everything) {
        if (tree.summary.complete) tree.summary.stoppedAt = bound;
        tree.summary.complete = false;
        if (everything) stopped_ = true;
    }

    // False past the time or the number of names: a folder not read to its
    // end is not counted as read.
    bool withinBounds() {
        if (bounds_.maxEntries != 0 && tree.summary.entries >= bounds_.maxEntries) {
            stop("entries", true);
        } else if (bounds_.maxTime.count() != 0 && Clock::now() - started_ > bounds_.maxTime) {
            stop("time", true);
        }
        return !stopped_;
    }

    bool list(const std::string& directory, std::vector<std::string>& names) {
        if (!withinBounds()) return false;
        std::error_code ec;
        fs::directory_iterator it(directory, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            names.push_back(it->path().filename().string());
            ++tree.summary.entries;
            if (names.size() % kNamesBetweenClockReads == 0 && !withinBounds()) return false;
        }
        if (ec) {
            tree.unreadableFolders.push_back({directory, "cannot read folder: " + ec.message()});
            return false;
        }
        std::sort(names.begin(), names.end());
        return withinBounds();
    }

    bool followable(const std::string& path) {
        if (followableFrom(root_, path)) return true;
        tree.skippedLinks.push_back(path);
        return false;
    }

    static constexpr std::size_t kNamesBetweenClockReads = 4096;
    std::string root_;
    WalkBounds bounds_;
    Clock::time_point started_;
    bool stopped_ = false;
    std::set<std::pair<dev_t, ino_t>> visited_;
};

}  // namespace

bool followableFrom(const std::string& root, const std::string& path) {
    std::error_code ec;
    return !fs::is_symlink(path, ec) || staysWithin(root, path);
}

WalkedTree walkTree(const std::string& root, const WalkBounds& bounds) {
    FolderWalk walk(root, bounds);
    walk.walk(root, 0, 0);
    walk.finish();
    return std::move(walk.tree);
}

}  // namespace OrvexConfigValidate
