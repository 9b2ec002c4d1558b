// The walk of a deployment tree: which folders hold a server file or a
// bridges file, in the order they are met.
#pragma once

#include <string>
#include <vector>

#include <orvexconfigvalidate/Deployment.hpp>

namespace OrvexConfigValidate {

struct WalkedFolder {
    std::string path;
    bool hasServer = false;
    bool hasBridges = false;
};

struct WalkedTree {
    std::vector<WalkedFolder> folders;  // in walk order
    std::vector<std::string> skippedLinks;
    std::vector<FolderProblem> unreadableFolders;
    WalkSummary summary;
};

// Depth first, folders and their subfolders in byte order of names;
// folders whose name starts with "." are skipped; a directory reached twice
// (through a symbolic link) is searched once; nothing outside the root is
// followed or read. Stops at the first bound reached.
WalkedTree walkTree(const std::string& root, const WalkBounds& bounds = {});

// Whether a path may be followed from the root: not a symbolic link, or one
// that stays inside the root.
bool followableFrom(const std::string& root, const std::string& path);

}  // namespace OrvexConfigValidate
