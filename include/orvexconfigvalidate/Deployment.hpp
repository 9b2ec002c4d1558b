// The deployments under a folder, known from both sides: which bridges file
// a server file names, and which server file names a bridges file. One rule
// answers both (bridgesFileFor); every file is read through
// readConfigurationFile, or taken from an editor's open buffer first.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Configuration.hpp>

namespace OrvexConfigValidate {

// The text of a document open in an editor, by path, or nothing when it is
// not open (the file on disk is read then).
using OpenBuffers = std::function<std::optional<std::string>(const std::string& path)>;

struct DeploymentIndexOptions {
    // Larger files are not read (a server file larger than this names
    // "bridges.json" beside it, as one that cannot be parsed does).
    std::uint64_t maxFileSize = std::uint64_t{512} << 20;
    OpenBuffers openBuffers;
    // Walk the whole tree under the root at once (a folder check, an
    // editor's workspace). Without it the index learns only the folders
    // it is asked about: a lone file's own folder and those above it.
    bool walk = true;
    // Keep each server text read while indexing until read() hands it
    // over, so that a check reads it once.
    bool keepServerTexts = false;
};

// One deployment of the plan, in folder order: a server file with the
// bridges file it names, or a bridges file that no server file names.
struct DeploymentUnit {
    std::string serverFile;   // "" for a bridges file that no server names
    std::string bridgesFile;  // "" when the server names no usable file
    bool bridgesFound = false;
    std::uint64_t serverSize = 0;   // bytes, 0 when unreadable
    std::uint64_t bridgesSize = 0;  // bytes, 0 when not found
};

struct FolderProblem {
    std::string folder;
    std::string message;  // "cannot read folder: ..."
};

struct DeploymentPlan {
    std::vector<DeploymentUnit> units;
    // The existing bridges files that some server file names, in unit order.
    std::vector<std::string> claimedFiles;
    // Symbolic links that lead outside the root, not followed.
    std::vector<std::string> skippedLinks;
    std::vector<FolderProblem> unreadableFolders;
    // Every byte the units read.
    std::uint64_t totalBytes() const;
};

// Built from a root folder: a folder holding orvexbridged_conf.json is a
// deployment; a bridges.json that no server file names is checked alone.
// The walk takes folders and their subfolders in byte order of names,
// skips folders whose name starts with ".", searches a directory reached
// twice once, and follows no symbolic link that leads outside the root.
class DeploymentIndex {
  public:
    explicit DeploymentIndex(std::string root, DeploymentIndexOptions options = {});
    ~DeploymentIndex();
    DeploymentIndex(DeploymentIndex&&) noexcept;
    DeploymentIndex& operator=(DeploymentIndex&&) noexcept;
    DeploymentIndex(const DeploymentIndex&) = delete;
    DeploymentIndex& operator=(const DeploymentIndex&) = delete;

    const std::string& root() const;

    // The bridges file that a server file names, by its current text.
    BridgesFileChoice bridgesOf(const std::string& serverFile);
    // The server file that names this bridges file, or nothing: a server
    // file in the same folder first, then in each folder above it up to the
    // root, then any other server file of the walk.
    std::optional<std::string> serverOf(const std::string& bridgesFile);

    DeploymentPlan plan() const;

    // A file was created, changed or deleted, or an open buffer edited:
    // only that path is read again, the tree is not walked.
    void refresh(const std::string& path);
    // A file to take as a server file whatever its name (an editor told so),
    // or no longer.
    void setServerFile(const std::string& path, bool isServer);

    // A file's text as the index sees it: an open buffer, else a server
    // text kept while indexing (handed over once), else the disk.
    FileText read(const std::string& path);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace OrvexConfigValidate
