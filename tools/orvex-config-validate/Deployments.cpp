#include "Deployments.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>
#include <utility>

#include "Check.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

namespace fs = std::filesystem;

const char* const kServerFileName = "orvexbridged_conf.json";
const char* const kBridgesFileName = "bridges.json";
const char* const kBridgesMember = "bridgingConfigurationFileName";

struct Folder {
    std::string path;
    bool hasServer = false;
    bool hasBridges = false;
};

// The working directory itself adds nothing to a name: "north/bridges.json",
// not "./north/bridges.json".
std::string joinPath(const std::string& folder, const std::string& name) {
    if (fs::path(folder).lexically_normal() == ".") return name;
    return (fs::path(folder) / name).generic_string();
}

// Walks the tree depth first, folders and their subfolders in byte order.
class FolderWalk {
  public:
    explicit FolderWalk(DeploymentSearch& search) : search_(search) {}

    void walk(const std::string& directory) {
        struct stat info {};
        if (::stat(directory.c_str(), &info) != 0) return;
        // A symbolic link back up the tree would otherwise never end.
        if (!visited_.insert({info.st_dev, info.st_ino}).second) return;
        std::error_code ec;
        fs::directory_iterator it(directory, ec);
        std::vector<std::string> names;
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            names.push_back(it->path().filename().string());
        }
        if (ec) {
            search_.issues.push_back(
                {directory, true, "read_error", "cannot read folder: " + ec.message(), {}, ""});
            return;
        }
        std::sort(names.begin(), names.end());
        Folder folder{directory};
        std::vector<std::string> subfolders;
        for (const auto& name : names) {
            const std::string path = joinPath(directory, name);
            if (fs::is_directory(path, ec)) {
                if (name[0] != '.') subfolders.push_back(path);
            } else if (name == kServerFileName) {
                folder.hasServer = true;
            } else if (name == kBridgesFileName) {
                folder.hasBridges = true;
            }
        }
        if (folder.hasServer || folder.hasBridges) folders.push_back(folder);
        for (const auto& subfolder : subfolders) walk(subfolder);
    }

    std::vector<Folder> folders;

  private:
    DeploymentSearch& search_;
    std::set<std::pair<dev_t, ino_t>> visited_;
};

std::string identity(const std::string& path) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

// Larger server files are left to the check, which reports them.
constexpr std::uintmax_t kLargestServerFile = 64u << 20;

// The server file's text, or "" when it cannot be read: the check itself
// reports that. Only a regular file is opened, so that a FIFO or device
// under the name cannot stall the search.
std::string readText(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) > kLargestServerFile || ec) {
        return "";
    }
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Plans one server folder: the pair, or the server alone with an issue when
// the bridges file it names is not there.
void planServerFolder(const Folder& folder, DeploymentSearch& search,
                      std::set<std::string>& claimed) {
    const std::string server = joinPath(folder.path, kServerFileName);
    const ParsedText parsed = parseText(readText(server));
    const nlohmann::json& document = parsed.document();
    std::string bridges = joinPath(folder.path, kBridgesFileName);
    if (parsed.ok()) bridges = bridgesFileFor(folder.path, document);
    std::error_code ec;
    if (!bridges.empty() && fs::exists(bridges, ec)) {
        claimed.insert(identity(bridges));
        search.units.push_back({"Obs", {server, bridges}, true});
        return;
    }
    search.units.push_back({"BridgingServerConfiguration", {server}, false});
    if (!parsed.ok()) return;  // its parse error is reported by the check
    const bool named = document.is_object() && document.contains(kBridgesMember) &&
                       document[kBridgesMember].is_string();
    const std::string pointer = std::string("/") + kBridgesMember;
    const TextLocation place = parsed.locate(pointer);
    std::string message;
    if (!named) {
        message = std::string("the server reads \"") + kBridgesFileName + "\" when \"" +
                  kBridgesMember + "\" is not set, and there is no " + bridges;
    } else if (bridges.empty()) {
        message = std::string("\"") + kBridgesMember + "\" names no file";
    } else {
        message = "bridges file " +
                  document[kBridgesMember].dump(-1, ' ', false,
                                                nlohmann::json::error_handler_t::replace) +
                  " not found (looked for " + bridges + ")";
    }
    search.issues.push_back({server, false, "missing_bridges_file", message,
                             TextPosition{place.line, place.column}, named ? pointer : "/"});
}

}  // namespace

std::string bridgesFileFor(const std::string& folder, const nlohmann::json& server) {
    if (!server.is_object() || !server.contains(kBridgesMember) ||
        !server[kBridgesMember].is_string()) {
        return joinPath(folder, kBridgesFileName);
    }
    const fs::path name(server[kBridgesMember].get<std::string>());
    if (name.empty()) return "";
    if (name.is_absolute()) {
        if (!name.has_filename()) return "";
        return joinPath(folder, name.filename().string());
    }
    return (fs::path(folder) / name).lexically_normal().generic_string();
}

DeploymentSearch findDeployments(const std::string& directory) {
    DeploymentSearch search;
    FolderWalk walk(search);
    walk.walk(directory);
    // Server folders first, so that a bridges file that some server names is
    // checked with it and not a second time alone.
    std::set<std::string> claimed;
    std::vector<std::pair<std::size_t, CheckUnit>> ordered;
    for (std::size_t i = 0; i < walk.folders.size(); ++i) {
        if (!walk.folders[i].hasServer) continue;
        const std::size_t before = search.units.size();
        planServerFolder(walk.folders[i], search, claimed);
        for (std::size_t k = before; k < search.units.size(); ++k) {
            ordered.emplace_back(i, std::move(search.units[k]));
        }
        search.units.resize(before);
    }
    for (std::size_t i = 0; i < walk.folders.size(); ++i) {
        const Folder& folder = walk.folders[i];
        if (folder.hasServer || !folder.hasBridges) continue;
        const std::string bridges = joinPath(folder.path, kBridgesFileName);
        if (claimed.count(identity(bridges)) != 0) continue;
        ordered.emplace_back(i, CheckUnit{"BridgingConfiguration", {bridges}, false});
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& entry : ordered) search.units.push_back(std::move(entry.second));
    search.deployments = search.units.size();
    if (search.units.empty() && search.issues.empty()) {
        search.issues.push_back({directory,
                                 true,
                                 "no_config_files",
                                 std::string("no ") + kServerFileName + " or " + kBridgesFileName +
                                     " in this folder or below",
                                 {},
                                 ""});
    }
    return search;
}

InputPlan planInputs(const CommandLine& line, const std::vector<std::string>& knownIds) {
    InputPlan input;
    CommandLine files = line;
    files.files.clear();
    std::vector<std::string> directories;
    for (const auto& file : line.files) {
        std::error_code ec;
        if (file != "-" && fs::is_directory(file, ec)) {
            directories.push_back(file);
        } else {
            files.files.push_back(file);
        }
    }
    input.searched = !directories.empty();
    if (input.searched && !line.schemaId.empty()) {
        input.plan.error = "--schema applies to FILE arguments; in folder '" + directories.front() +
                           "' the file names tell the schema";
        return input;
    }
    input.plan = planChecks(files, knownIds);
    if (!input.plan.error.empty()) return input;
    for (const auto& directory : directories) {
        DeploymentSearch search = findDeployments(directory);
        input.deployments += search.deployments;
        std::move(search.units.begin(), search.units.end(), std::back_inserter(input.plan.units));
        std::move(search.issues.begin(), search.issues.end(), std::back_inserter(input.issues));
    }
    return input;
}

Report runPlan(const InputPlan& plan, const CheckOptions& options, KeptDocuments* keep) {
    Report report = runChecks(plan.plan.units, options, keep);
    if (plan.searched) report.deployments = plan.deployments;
    for (const auto& issue : plan.issues) {
        std::size_t entry = report.files.size();
        if (issue.ownEntry) {
            report.files.push_back({issue.fileName, "", false, true});
        } else {
            for (std::size_t i = 0; i < report.files.size(); ++i) {
                if (report.files[i].name == issue.fileName) entry = i;
            }
            if (entry == report.files.size()) continue;
        }
        const IssueCodeInfo* info = describeIssueCode(issue.code);
        const Severity severity = info ? info->severity : Severity::Error;
        if (failsVerdict(severity, options.validate)) report.files[entry].ok = false;
        report.diagnostics.push_back(
            {entry, severity, issue.path, issue.code, issue.message, issue.position});
    }
    sortDiagnostics(report);
    return report;
}

}  // namespace OrvexConfigValidate::Tool
