// A deployment of the bridging server: a server file and the bridges file
// it names, where each is found, how they are read, and how they are judged
// together; and the deployments under a folder, known from both sides by
// one rule (bridgesFileFor).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// How a server file's bridges file name is read.
enum class BridgesFileReading {
    // The folder stands for the server's configuration directory (a copy of
    // it, a repository): a relative name lies under it (never outside), an
    // absolute name is taken by its last component.
    InFolder,
    // Exactly as the server opens it when it starts or reloads: an absolute
    // name as it stands, a relative one against the server file's folder.
    AsTheServer,
};

// The bridges file a server file names: "bridges.json" beside it when the
// member is absent or not a string; otherwise the name, read as asked.
struct BridgesFileChoice {
    std::string path;     // "" when no usable file is named
    bool named = false;   // the server sets the member to a string
    std::string problem;  // why no path, for a missing_bridges_file message
};
BridgesFileChoice bridgesFileFor(const std::string& serverFile, JsonView server,
                                 BridgesFileReading reading = BridgesFileReading::InFolder);

// Whether a path, once its symbolic links are followed, still lies inside
// folder (a path that does not exist, or a dangling link, reads nothing and
// counts as inside).
bool staysWithin(const std::string& folder, const std::string& path);

// A name in a folder, as reports print it: the working directory adds
// nothing ("north/bridges.json", not "./north/bridges.json").
std::string joinPath(const std::string& folder, const std::string& name);

// A file's text, or why it could not be had.
struct FileText {
    std::optional<std::string> text;
    std::string error;  // "cannot read file: ..." when there is no text
};

// Reads a regular file of at most maxSize bytes (no FIFO or device).
FileText readConfigurationFile(const std::string& path, std::uint64_t maxSize);

struct DeploymentOptions {
    ValidateOptions validate;
    std::uint64_t maxFileSize = std::uint64_t{512} << 20;
    // Where texts come from; by default readConfigurationFile. An editor
    // hands in its open buffers here.
    std::function<FileText(const std::string& path)> read;
    BridgesFileReading reading = BridgesFileReading::InFolder;
};

// A server file and the bridges file it names, read and judged together.
// The issues' source is 0 for the server file and 1 for the bridges file;
// read_error and missing_bridges_file are issues too. A server that keeps
// its last good configuration takes the documents only from an ok result.
struct Deployment {
    std::string serverFile;
    std::string bridgesFile;  // "" when the server names no usable file
    bool bridgesFound = false;
    std::optional<ParsedText> server;   // absent when the file could not be read
    std::optional<ParsedText> bridges;  // absent when not found or not read
    ValidationResult result;
};

Deployment checkDeployment(const std::string& serverFile, const DeploymentOptions& options);
Deployment checkDeployment(const Validator& validator, const std::string& serverFile,
                           const DeploymentOptions& options);

// The text of a document open in an editor, by path, or null when it is not
// open (the file on disk is read then). Shared, not copied: the index reads
// only the size of a bridges text.
using OpenBuffers = std::function<std::shared_ptr<const std::string>(const std::string& path)>;

// Bounds of a walk whose root may be a whole file system (an editor opened
// at "/"). A walk that reaches one stops there; 0 is no bound.
struct WalkBounds {
    std::uint64_t maxEntries = 0;  // names read in all folders
    std::uint64_t maxDepth = 0;    // folders below the root
    std::chrono::milliseconds maxTime{0};
    // Passes by the kernel's own file systems (/proc, /sys, /dev and the
    // like), which hold no configuration and may be endless to read.
    bool skipSystemFolders = false;
};

// What a walk read, and whether it saw the whole tree.
struct WalkSummary {
    std::uint64_t folders = 0;
    std::uint64_t entries = 0;
    std::chrono::milliseconds took{0};
    bool complete = true;
    std::string stoppedAt;  // the bound reached: "entries", "depth" or "time"
};

struct DeploymentIndexOptions {
    // Larger files are not read (a server file larger than this names
    // "bridges.json" beside it, as one that cannot be parsed does).
    std::uint64_t maxFileSize = std::uint64_t{512} << 20;
    OpenBuffers openBuffers;
    // Walk the whole tree under the root at once (a folder check, an
    // editor's workspace). Without it the index learns only the folders
    // it is asked about: a lone file's own folder and those above it.
    bool walk = true;
    // A walk stopped by a bound leaves the folders it did not reach to be
    // learnt as without a walk.
    WalkBounds bounds;
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
    // The walk made when the index was built (nothing without a walk).
    const WalkSummary& walked() const;

    // The bridges file that a server file names, by its current text.
    BridgesFileChoice bridgesOf(const std::string& serverFile);
    // The server file that names this bridges file, or nothing: a server
    // file in the same folder first, then in each folder above it up to the
    // root, then any other server file of the walk.
    std::optional<std::string> serverOf(const std::string& bridgesFile);
    // The server file of the deployment a file belongs to, as every check
    // and review of a lone file judges it: the file itself when it is a
    // server file (by its name, or as setServerFile made it), otherwise the
    // server file that names it (serverOf).
    std::optional<std::string> deploymentServerOf(const std::string& file);

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

// Where the deployment of a lone file is looked for (the root of an index
// without a walk): the file's folder and those above it up to the working
// directory, or only its own folder when it lies elsewhere.
std::string loneFileRoot(const std::string& file);

// The folders that search walks for a file, nearest first: its own folder,
// then each one above it up to `root` (loneFileRoot(file) when empty).
std::vector<std::string> searchFolders(const std::string& file, const std::string& root = {});

// The server file of a lone file's deployment, found by an index of its own
// over loneFileRoot(name): for a front end that asks once. `name` is the
// path the file is judged by (it may be read from elsewhere).
std::optional<std::string> deploymentServerOf(const std::string& name, std::uint64_t maxFileSize);

}  // namespace OrvexConfigValidate
