#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>

#include "model/FolderWalk.hpp"
#include "model/Paths.hpp"

namespace OrvexConfigValidate {

namespace {

namespace fs = std::filesystem;

struct ServerState {
    std::string path;  // as the walk or the caller spelled it
    std::uint64_t size = 0;
    BridgesFileChoice choice;
    std::string claimed;  // identity of choice.path, "" when none
    bool bridgesFound = false;
    std::uint64_t bridgesSize = 0;
    std::optional<std::string> kept;
};

struct FolderState {
    std::string path;
    std::vector<std::string> servers;  // keys, sorted
    bool hasBridges = false;
    std::uint64_t bridgesSize = 0;
    std::string bridgesIdentity;
};

struct WalkOrder {
    bool operator()(const std::string& a, const std::string& b) const {
        return walkOrderBefore(a, b);
    }
};

std::string fileNameOf(const std::string& path) {
    return fs::path(pathKey(path)).filename().generic_string();
}

}  // namespace

struct DeploymentIndex::Impl {
    std::string root;
    DeploymentIndexOptions options;
    std::map<std::string, FolderState, WalkOrder> folders;
    std::map<std::string, ServerState> servers;
    std::set<std::string> namedServers;
    std::set<std::string> learned;  // folders looked at, without a walk
    std::vector<std::string> skippedLinks;
    std::vector<FolderProblem> unreadableFolders;
    WalkSummary summary;

    std::shared_ptr<const std::string> openText(const std::string& path) const {
        if (!options.openBuffers) return nullptr;
        return options.openBuffers(path);
    }

    FileText readText(const std::string& path) const {
        if (const auto open = openText(path)) return {std::string(*open), ""};
        return readConfigurationFile(path, options.maxFileSize);
    }

    // Open, or a file on disk (whatever its kind: the reader refuses a FIFO
    // or a device when it comes to it, without waiting).
    std::optional<std::uint64_t> presentSize(const std::string& path) const {
        if (const auto open = openText(path)) return open->size();
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (ec || !fs::exists(status) || fs::is_directory(status)) return std::nullopt;
        const std::uintmax_t size = fs::is_regular_file(status) ? fs::file_size(path, ec) : 0;
        return ec ? 0 : static_cast<std::uint64_t>(size);
    }

    // Inside the root, not in a hidden folder below it, reached without a
    // link that leads out: what a walk would meet.
    bool walkable(const std::string& path) const {
        return lexicallyWithin(root, path) && !inHiddenFolder(root, path) &&
               followableFrom(root, path);
    }

    void updateBridges(ServerState& server) const {
        server.bridgesFound = false;
        server.bridgesSize = 0;
        if (server.choice.path.empty()) return;
        const std::optional<std::uint64_t> size = presentSize(server.choice.path);
        server.bridgesFound = size.has_value();
        server.bridgesSize = size.value_or(0);
    }

    // The one rule: the bridges file the server's text names.
    ServerState loadServer(const std::string& path) const {
        ServerState server;
        server.path = path;
        FileText text = readText(path);
        if (text.text) {
            server.size = text.text->size();
            const Document parsed = parseText(*text.text, nullptr);
            server.choice = bridgesFileFor(path, parsed.root());
            if (options.keepServerTexts) server.kept = std::move(text.text);
        }
        if (!server.choice.path.empty()) server.claimed = fileIdentity(server.choice.path);
        updateBridges(server);
        return server;
    }

    FolderState& folderFor(const std::string& folder) {
        FolderState& state = folders[pathKey(folder)];
        if (state.path.empty()) state.path = folder;
        return state;
    }

    void dropIfEmpty(const std::string& folderKey) {
        const auto found = folders.find(folderKey);
        if (found != folders.end() && found->second.servers.empty() && !found->second.hasBridges) {
            folders.erase(found);
        }
    }

    void addServer(const std::string& path) {
        const std::string key = pathKey(path);
        servers[key] = loadServer(path);
        std::vector<std::string>& list = folderFor(folderOf(path)).servers;
        if (std::find(list.begin(), list.end(), key) == list.end()) {
            list.insert(std::upper_bound(list.begin(), list.end(), key), key);
        }
    }

    void removeServer(const std::string& path) {
        const std::string key = pathKey(path);
        servers.erase(key);
        const std::string folderKey = pathKey(folderOf(path));
        const auto folder = folders.find(folderKey);
        if (folder == folders.end()) return;
        auto& list = folder->second.servers;
        list.erase(std::remove(list.begin(), list.end(), key), list.end());
        dropIfEmpty(folderKey);
    }

    void setBridges(const std::string& folder, std::optional<std::uint64_t> size) {
        if (!size) {
            const auto found = folders.find(pathKey(folder));
            if (found == folders.end()) return;
            found->second.hasBridges = false;
            dropIfEmpty(found->first);
            return;
        }
        FolderState& state = folderFor(folder);
        state.hasBridges = true;
        state.bridgesSize = *size;
        state.bridgesIdentity = fileIdentity(joinPath(folder, kBridgesFileName));
    }

    void build() {
        WalkedTree tree = walkTree(root, options.bounds);
        summary = tree.summary;
        skippedLinks = std::move(tree.skippedLinks);
        unreadableFolders = std::move(tree.unreadableFolders);
        for (const WalkedFolder& folder : tree.folders) {
            if (folder.hasServer) addServer(joinPath(folder.path, kServerFileName));
            if (folder.hasBridges) {
                setBridges(folder.path, presentSize(joinPath(folder.path, kBridgesFileName)));
            }
        }
    }

    // Without a walk, or past where a bounded walk stopped, a folder is
    // read when first asked about.
    void learn(const std::string& folder) {
        if ((options.walk && summary.complete) || !learned.insert(pathKey(folder)).second) return;
        const std::string server = joinPath(folder, kServerFileName);
        if (presentSize(server) && followableFrom(root, server)) addServer(server);
        const std::string bridges = joinPath(folder, kBridgesFileName);
        if (followableFrom(root, bridges)) setBridges(folder, presentSize(bridges));
    }

    bool isServer(const std::string& path) const {
        const std::string key = pathKey(path);
        return servers.count(key) != 0 || namedServers.count(key) != 0 ||
               fileNameOf(path) == kServerFileName;
    }

    void refreshServer(const std::string& path) {
        if (presentSize(path) && walkable(path)) {
            const auto known = servers.find(pathKey(path));
            addServer(known == servers.end() ? path : known->second.path);
        } else {
            removeServer(path);
        }
    }

    void refreshBridges(const std::string& path) {
        const std::string identity = fileIdentity(path);
        for (auto& [key, server] : servers) {
            if (server.claimed == identity) updateBridges(server);
        }
        if (fileNameOf(path) != kBridgesFileName) return;
        const std::optional<std::uint64_t> size = walkable(path) ? presentSize(path) : std::nullopt;
        const auto known = folders.find(pathKey(folderOf(path)));
        setBridges(known == folders.end() ? folderOf(path) : known->second.path, size);
    }

    const ServerState* claimerIn(const std::string& folderKey, const std::string& identity,
                                 const std::string& fileKey) const {
        const auto folder = folders.find(folderKey);
        if (folder == folders.end()) return nullptr;
        for (const std::string& key : folder->second.servers) {
            const ServerState& server = servers.at(key);
            if (server.claimed == identity && key != fileKey) return &server;
        }
        return nullptr;
    }
};

std::uint64_t DeploymentPlan::totalBytes() const {
    std::uint64_t total = 0;
    for (const DeploymentUnit& unit : units) total += unit.serverSize + unit.bridgesSize;
    return total;
}

DeploymentIndex::DeploymentIndex(std::string root, DeploymentIndexOptions options)
    : impl_(std::make_unique<Impl>()) {
    impl_->root = std::move(root);
    impl_->options = std::move(options);
    if (impl_->options.walk) impl_->build();
}

DeploymentIndex::~DeploymentIndex() = default;
DeploymentIndex::DeploymentIndex(DeploymentIndex&&) noexcept = default;
DeploymentIndex& DeploymentIndex::operator=(DeploymentIndex&&) noexcept = default;

const std::string& DeploymentIndex::root() const {
    return impl_->root;
}

const WalkSummary& DeploymentIndex::walked() const {
    return impl_->summary;
}

BridgesFileChoice DeploymentIndex::bridgesOf(const std::string& serverFile) {
    const auto known = impl_->servers.find(pathKey(serverFile));
    if (known != impl_->servers.end()) return known->second.choice;
    return impl_->loadServer(serverFile).choice;
}

std::optional<std::string> DeploymentIndex::serverOf(const std::string& bridgesFile) {
    const std::string identity = fileIdentity(bridgesFile);
    const std::string fileKey = pathKey(bridgesFile);
    // The nearest server first: the file's own folder, then up to the root.
    for (const std::string& folder : searchFolders(fileKey, impl_->root)) {
        impl_->learn(folder);
        if (const ServerState* server = impl_->claimerIn(folder, identity, fileKey)) {
            return server->path;
        }
    }
    // A name that reaches it through a symbolic link inside the root.
    for (const auto& [key, state] : impl_->folders) {
        if (const ServerState* server = impl_->claimerIn(key, identity, fileKey)) {
            return server->path;
        }
    }
    return std::nullopt;
}

std::optional<std::string> DeploymentIndex::deploymentServerOf(const std::string& file) {
    if (impl_->isServer(file)) return file;
    return serverOf(file);
}

std::string loneFileRoot(const std::string& file) {
    const fs::path normal = fs::path(file).lexically_normal();
    if (normal.is_relative() && !normal.empty() && *normal.begin() != "..") return ".";
    const std::string folder = fs::path(file).parent_path().generic_string();
    return folder.empty() ? "." : folder;
}

std::vector<std::string> searchFolders(const std::string& file, const std::string& root) {
    const std::string top = root.empty() ? loneFileRoot(file) : root;
    std::vector<std::string> folders;
    std::string folder = pathKey(folderOf(pathKey(file)));
    while (lexicallyWithin(top, folder)) {
        folders.push_back(folder);
        const std::string parent = pathKey(folderOf(folder));
        if (parent == folder || fileNameOf(folder) == "..") break;
        folder = parent;
    }
    return folders;
}

std::optional<std::string> deploymentServerOf(const std::string& name, std::uint64_t maxFileSize) {
    DeploymentIndexOptions options;
    options.maxFileSize = maxFileSize;
    options.walk = false;
    DeploymentIndex index(loneFileRoot(name), options);
    return index.deploymentServerOf(name);
}

DeploymentPlan DeploymentIndex::plan() const {
    DeploymentPlan plan;
    plan.skippedLinks = impl_->skippedLinks;
    plan.unreadableFolders = impl_->unreadableFolders;
    std::set<std::string> claimed;
    for (const auto& [key, server] : impl_->servers) {
        if (!server.claimed.empty()) claimed.insert(server.claimed);
    }
    for (const auto& [key, folder] : impl_->folders) {
        for (const std::string& serverKey : folder.servers) {
            const ServerState& server = impl_->servers.at(serverKey);
            plan.units.push_back({server.path, server.choice.path, server.bridgesFound, server.size,
                                  server.bridgesSize});
            if (server.bridgesFound) plan.claimedFiles.push_back(server.choice.path);
        }
        // A bridges.json beside a server file that names another is stale:
        // the server never reads it.
        if (!folder.servers.empty() || !folder.hasBridges ||
            claimed.count(folder.bridgesIdentity) != 0) {
            continue;
        }
        plan.units.push_back(
            {"", joinPath(folder.path, kBridgesFileName), true, 0, folder.bridgesSize});
    }
    return plan;
}

void DeploymentIndex::refresh(const std::string& path) {
    if (impl_->isServer(path)) impl_->refreshServer(path);
    impl_->refreshBridges(path);
}

void DeploymentIndex::setServerFile(const std::string& path, bool isServer) {
    if (isServer) {
        impl_->namedServers.insert(pathKey(path));
    } else {
        impl_->namedServers.erase(pathKey(path));
    }
    if (impl_->isServer(path)) {
        impl_->refreshServer(path);
    } else {
        impl_->removeServer(path);
    }
}

FileText DeploymentIndex::read(const std::string& path) {
    if (const auto open = impl_->openText(path)) return {std::string(*open), ""};
    const auto known = impl_->servers.find(pathKey(path));
    if (known != impl_->servers.end() && known->second.kept) {
        FileText text{std::move(known->second.kept), ""};
        known->second.kept.reset();
        return text;
    }
    return readConfigurationFile(path, impl_->options.maxFileSize);
}

}  // namespace OrvexConfigValidate
