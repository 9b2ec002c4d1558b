#include "Checker.hpp"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <new>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>

#include "Documents.hpp"
#include "FileUri.hpp"
#include "Framing.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

bool within(const std::string& folder, const std::string& path) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           (folder.back() == '/' || path[folder.size()] == '/');
}

// An editor may be opened at "/": the walk of a workspace folder ends
// within a second, and the folders it did not reach are read as asked
// about. A repository of configurations lies well inside these.
constexpr std::uint64_t kMostWalkedNames = 200000;
constexpr std::uint64_t kDeepestWalk = 32;
constexpr std::chrono::milliseconds kLongestWalk{1000};

// "/a/./b/" and "/a/b" are one folder.
std::string folderKey(const std::string& folder) {
    std::string key = std::filesystem::path(folder).lexically_normal().generic_string();
    while (key.size() > 1 && key.back() == '/') key.pop_back();
    return key;
}

DeploymentIndexOptions indexOptions(const Workspace& workspace, bool walk) {
    DeploymentIndexOptions options;
    // A partner larger than any message is not a configuration file.
    options.maxFileSize = FrameDecoder::kDefaultMaxBody;
    options.walk = walk;
    options.bounds = {kMostWalkedNames, kDeepestWalk, kLongestWalk, true};
    // Open buffers before the disk.
    options.openBuffers = [&workspace](const std::string& path) {
        for (const std::string& key : workspace.keys()) {
            if (pathFromUri(key) != path) continue;
            if (auto text = workspace.text(key)) return text;
        }
        return std::shared_ptr<const std::string>();
    };
    return options;
}

}  // namespace

WorkspaceOptions workspaceOptions(const CheckSettings& settings) {
    WorkspaceOptions options{settings.options};
    options.validate.maxIssues = 2 * kMaxPublished;
    return options;
}

Checker::Checker(Workspace& documents, CheckSettings checkSettings)
    : workspace(documents),
      settings(std::move(checkSettings)),
      loose(std::make_unique<DeploymentIndex>("/", indexOptions(workspace, false))) {}

Checker::~Checker() = default;

void Checker::setRoots(const std::vector<std::string>& folders) {
    roots.clear();
    std::vector<std::string> keys;
    for (const std::string& folder : folders) {
        if (!folder.empty()) keys.push_back(folderKey(folder));
    }
    // Outer folders first: one inside another is walked with it.
    std::stable_sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
        return a.size() < b.size();
    });
    for (std::string& key : keys) {
        const bool covered = std::any_of(roots.begin(), roots.end(), [&key](const Root& root) {
            return root.folder == key || within(root.folder, key);
        });
        if (!covered) roots.push_back({std::move(key), nullptr});
    }
}

Checker::Root* Checker::rootOf(const std::string& path) {
    for (Root& root : roots) {
        if (within(root.folder, path)) return &root;
    }
    return nullptr;
}

DeploymentIndex& Checker::indexFor(const std::string& path) {
    Root* root = rootOf(path);
    if (root == nullptr) return *loose;
    if (!root->index) {
        root->index =
            std::make_unique<DeploymentIndex>(root->folder, indexOptions(workspace, true));
        if (walkTold) walkTold(root->folder, root->index->walked());
    }
    return *root->index;
}

std::string Checker::chosenSchemaId(const std::string& uri, const std::string& path) const {
    for (const auto& [key, id] : settings.schemaChoices) {
        if (key == uri || (!path.empty() && (key == path || key == fileNameOf(path)))) return id;
    }
    // The project file is known by its name, as the tool finds it.
    if (!path.empty() && fileNameOf(path) == kProjectFileName) return kProjectSchemaId;
    return schemaIdForFileName(path.empty() ? uri : path);
}

std::string Checker::openUriOf(const std::string& path) const {
    if (path.empty()) return "";
    for (const std::string& key : workspace.keys()) {
        if (pathFromUri(key) == path) return key;
    }
    return "";
}

std::optional<Checker::Partner> Checker::partnerOf(const std::string& path,
                                                   const std::string& schemaId) {
    if (path.empty()) return std::nullopt;
    DeploymentIndex& index = indexFor(path);
    std::optional<Partner> partner;
    if (schemaId == kServerSchemaId) {
        const std::string bridges = index.bridgesOf(path).path;
        if (!bridges.empty()) partner = Partner{bridges, false};
    } else if (schemaId == kBridgesSchemaId) {
        if (std::optional<std::string> server = index.serverOf(path)) {
            partner = Partner{*server, true};
        }
    }
    if (partner && partner->path == path) return std::nullopt;
    return partner;
}

std::string Checker::schemaIdFor(const std::string& uri) {
    const std::string path = pathFromUri(uri);
    std::string chosen = chosenSchemaId(uri, path);
    if (!chosen.empty() || path.empty()) return chosen;
    // Any file that a server file names as its bridges file.
    return indexFor(path).serverOf(path) ? kBridgesSchemaId : "";
}

bool Checker::mayPair(const std::string& uri) const {
    const std::string chosen = chosenSchemaId(uri, pathFromUri(uri));
    return chosen.empty() || chosen == kServerSchemaId || chosen == kBridgesSchemaId;
}

void Checker::check(const std::string& uri, std::set<std::string>& done,
                    std::vector<Publication>& out) {
    done.insert(uri);
    const std::string path = pathFromUri(uri);
    Publication own{uri, workspace.version(uri), nullptr, ""};
    try {
        CheckPlan plan{schemaIdFor(uri), std::nullopt};
        const std::optional<Partner> partner = partnerOf(path, plan.schemaId);
        // Kept alive for the check: the text of a partner not open.
        std::optional<std::string> partnerText;
        if (partner) {
            const std::string partnerUri = openUriOf(partner->path);
            if (!partnerUri.empty()) {
                plan.partner = PairedText{partnerUri, "", partner->isServer};
            } else if ((partnerText = indexFor(partner->path).read(partner->path).text)) {
                plan.partner = PairedText{"", *partnerText, partner->isServer};
            }
        }
        lastPartner[uri] = plan.partner ? partner->path : "";
        const auto made = workspace.check(uri, plan);
        if (made.empty()) return;
        projectIssues.afterCheck({path, made.front(), partner ? partner->path : "",
                                  partner && partner->isServer, made.size() > 1 ? made[1] : nullptr,
                                  partnerText ? &*partnerText : nullptr});
        if (!made.front()->schemaId().empty()) own.snapshot = made.front();
        // An edit carried inside a bridges text leaves the server's own
        // diagnostics as they stand: they depend on its text alone.
        if (made.front()->carried() && partner) done.insert(openUriOf(partner->path));
        out.push_back(std::move(own));
        if (made.size() < 2) return;
        // The open partner's diagnostics come of the same check.
        const std::string& other = made[1]->key();
        lastPartner[other] = path;
        if (done.insert(other).second) out.push_back({other, made[1]->version(), made[1], ""});
    } catch (const std::bad_alloc&) {
        // Say so rather than leave stale diagnostics.
        own.snapshot.reset();
        own.failure = "not enough memory";
        out.push_back(std::move(own));
    }
}

std::vector<Publication> Checker::refresh(const std::string& uri) {
    std::vector<Publication> out;
    std::set<std::string> done;
    const std::string path = pathFromUri(uri);
    const bool open = workspace.isOpen(uri);
    // A server file's text says which bridges file it names: the index
    // reads it again, from the buffer while it is open.
    if (!path.empty() && (chosenSchemaId(uri, path) == kServerSchemaId ||
                          schemaIdForFileName(path) == kServerSchemaId)) {
        DeploymentIndex& index = indexFor(path);
        if (chosenSchemaId(uri, path) == kServerSchemaId) index.setServerFile(path, open);
        index.refresh(path);
    }
    if (open) {
        check(uri, done, out);
    } else {
        lastPartner.erase(uri);
        projectIssues.forget(uri);
        done.insert(uri);
        out.push_back({uri, std::nullopt, nullptr, ""});
    }
    if (path.empty()) return out;
    // The open documents whose partner this one was, or is now.
    for (const std::string& other : workspace.keys()) {
        if (done.count(other) != 0 || !mayPair(other)) continue;
        const std::string otherPath = pathFromUri(other);
        const auto last = lastPartner.find(other);
        const bool was = last != lastPartner.end() && last->second == path;
        const std::optional<Partner> now = partnerOf(otherPath, schemaIdFor(other));
        if (was || (now && now->path == path)) check(other, done, out);
    }
    return out;
}

std::vector<Publication> Checker::filesChanged(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        // A folder not walked yet reads the disk as it is when it is.
        Root* root = rootOf(path);
        if (root == nullptr) {
            loose->refresh(path);
        } else if (root->index) {
            root->index->refresh(path);
        }
    }
    std::vector<Publication> out;
    std::set<std::string> done;
    for (const std::string& uri : workspace.keys()) {
        if (done.count(uri) == 0 && mayPair(uri)) check(uri, done, out);
    }
    return out;
}

}  // namespace OrvexConfigValidate::Lsp
