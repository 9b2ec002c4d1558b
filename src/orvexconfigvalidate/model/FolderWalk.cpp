#include "model/FolderWalk.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

#include <orvexconfigvalidate/Configuration.hpp>

#include "model/Paths.hpp"

namespace OrvexConfigValidate {

namespace {

namespace fs = std::filesystem;

class FolderWalk {
  public:
    explicit FolderWalk(std::string root) : root_(std::move(root)) {}

    void walk(const std::string& directory) {
        struct stat info {};
        if (::stat(directory.c_str(), &info) != 0) return;
        // A symbolic link back up the tree would otherwise never end.
        if (!visited_.insert({info.st_dev, info.st_ino}).second) return;
        std::vector<std::string> names;
        if (!list(directory, names)) return;
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
        for (const auto& subfolder : subfolders) walk(subfolder);
    }

    WalkedTree tree;

  private:
    bool list(const std::string& directory, std::vector<std::string>& names) {
        std::error_code ec;
        fs::directory_iterator it(directory, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            names.push_back(it->path().filename().string());
        }
        if (ec) {
            tree.unreadableFolders.push_back({directory, "cannot read folder: " + ec.message()});
            return false;
        }
        std::sort(names.begin(), names.end());
        return true;
    }

    bool followable(const std::string& path) {
        if (followableFrom(root_, path)) return true;
        tree.skippedLinks.push_back(path);
        return false;
    }

    std::string root_;
    std::set<std::pair<dev_t, ino_t>> visited_;
};

}  // namespace

bool followableFrom(const std::string& root, const std::string& path) {
    std::error_code ec;
    return !fs::is_symlink(path, ec) || staysWithin(root, path);
}

WalkedTree walkTree(const std::string& root) {
    FolderWalk walk(root);
    walk.walk(root);
    return std::move(walk.tree);
}

}  // namespace OrvexConfigValidate
