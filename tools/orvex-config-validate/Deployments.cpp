#include "Deployments.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <set>
#include <system_error>
#include <utility>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>

#include "Check.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

namespace fs = std::filesystem;

struct Folder {
    std::string path;
    bool hasServer = false;
    bool hasBridges = false;
};

// Walks the tree depth first, folders and their subfolders in byte order.
// Nothing outside the root is followed or read.
class FolderWalk {
  public:
    FolderWalk(DeploymentSearch& search, std::string root)
        : search_(search), root_(std::move(root)) {}

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
            search_.issues.push_back({directory,
                                      true,
                                      IssueCode::kReadError,
                                      "cannot read folder: " + ec.message(),
                                      {},
                                      ""});
            return;
        }
        std::sort(names.begin(), names.end());
        Folder folder{directory};
        std::vector<std::string> subfolders;
        for (const auto& name : names) {
            const std::string path = joinPath(directory, name);
            if (!followable(path)) continue;
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
    // A symbolic link is followed only where it stays inside the root.
    bool followable(const std::string& path) {
        std::error_code ec;
        if (!fs::is_symlink(path, ec) || staysWithin(root_, path)) return true;
        search_.skippedLinks.push_back(path);
        return false;
    }

    DeploymentSearch& search_;
    std::string root_;
    std::set<std::pair<dev_t, ino_t>> visited_;
};

std::string identity(const std::string& path) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

// Larger server files are left to the check, which reports them.
constexpr std::uint64_t kLargestServerFile = 64u << 20;

// Plans one server folder: its deployment, and which bridges file that
// claims, so that the file is not checked a second time alone.
void planServerFolder(const Folder& folder, DeploymentSearch& search,
                      std::set<std::string>& claimed) {
    const std::string server = joinPath(folder.path, kServerFileName);
    search.units.push_back({kEnvelopeSchemaId, {server}, true, true});
    const FileText text = readConfigurationFile(server, kLargestServerFile);
    if (!text.text) return;
    const ParsedText parsed = parseText(*text.text);
    const BridgesFileChoice choice =
        bridgesFileFor(server, parsed.ok() ? parsed.document() : nlohmann::json());
    std::error_code ec;
    if (!choice.path.empty() && fs::exists(choice.path, ec)) claimed.insert(identity(choice.path));
}

}  // namespace

DeploymentSearch findDeployments(const std::string& directory) {
    DeploymentSearch search;
    FolderWalk walk(search, directory);
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
        ordered.emplace_back(i, CheckUnit{kBridgesSchemaId, {bridges}, false});
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& entry : ordered) search.units.push_back(std::move(entry.second));
    search.deployments = search.units.size();
    if (search.units.empty() && search.issues.empty()) {
        search.issues.push_back({directory,
                                 true,
                                 IssueCode::kNoConfigFiles,
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
        std::move(search.skippedLinks.begin(), search.skippedLinks.end(),
                  std::back_inserter(input.skippedLinks));
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
