#include "Deployments.hpp"

#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <system_error>
#include <utility>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>

#include "Check.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

namespace fs = std::filesystem;

DeploymentIndexOptions indexOptions(const CommandLine& line, bool walk) {
    DeploymentIndexOptions options;
    options.maxFileSize = line.maxSize;
    options.walk = walk;
    // --fix may rewrite a server file before the check reads it.
    options.keepServerTexts = line.fix == FixMode::None;
    return options;
}

CheckUnit deploymentUnit(const DeploymentUnit& found,
                         const std::shared_ptr<DeploymentIndex>& index) {
    CheckUnit unit{kEnvelopeSchemaId, {found.serverFile}, true, true};
    unit.index = index;
    return unit;
}

DeploymentSearch searchOf(const std::shared_ptr<DeploymentIndex>& index) {
    DeploymentSearch search;
    DeploymentPlan plan = index->plan();
    for (const DeploymentUnit& found : plan.units) {
        if (found.serverFile.empty()) {
            search.units.push_back({kBridgesSchemaId, {found.bridgesFile}, false});
        } else {
            search.units.push_back(deploymentUnit(found, index));
        }
    }
    for (FolderProblem& problem : plan.unreadableFolders) {
        search.issues.push_back({std::move(problem.folder),
                                 true,
                                 IssueCode::kReadError,
                                 std::move(problem.message),
                                 {},
                                 ""});
    }
    search.skippedLinks = std::move(plan.skippedLinks);
    search.deployments = search.units.size();
    search.empty = search.units.empty() && search.issues.empty();
    return search;
}

std::string lexicalKey(const std::string& path) {
    return fs::path(path).lexically_normal().generic_string();
}

// The lone FILE arguments that belong to a deployment (a server file, or a
// bridges file that a server file names), each as the check of that
// deployment; the others as planChecks plans them.
class LoneFiles {
  public:
    explicit LoneFiles(const CommandLine& line) : line_(line) {}

    std::optional<CheckUnit> claimed(const std::string& file) {
        if (!line_.schemaId.empty() || file == "-") return std::nullopt;
        const std::string root = loneFileRoot(file);
        std::shared_ptr<DeploymentIndex>& index = indexes_[root];
        if (!index) index = std::make_shared<DeploymentIndex>(root, indexOptions(line_, false));
        const std::optional<std::string> server = index->deploymentServerOf(file);
        if (!server) return std::nullopt;
        DeploymentUnit found;
        found.serverFile = *server;
        CheckUnit unit = deploymentUnit(found, index);
        if (*server == file) {
            unit.loneServer = true;
            return unit;
        }
        unit.schemaId = kBridgesSchemaId;
        unit.pair = false;
        unit.claimedFile = file;
        return unit;
    }

  private:
    const CommandLine& line_;
    std::map<std::string, std::shared_ptr<DeploymentIndex>> indexes_;
};

CheckPlan planFiles(const CommandLine& line, const std::vector<std::string>& files,
                    const std::vector<std::string>& knownIds) {
    LoneFiles lone(line);
    std::vector<std::optional<CheckUnit>> claimed;
    CommandLine plain = line;
    plain.files.clear();
    for (const std::string& file : files) {
        // Judged under its display name, read where it is.
        const std::string& name = line.displayName.empty() ? file : line.displayName;
        claimed.push_back(lone.claimed(name));
        if (claimed.back() && name != file) {
            (claimed.back()->loneServer ? claimed.back()->readFrom
                                        : claimed.back()->bridgesReadFrom) = file;
        }
        if (!claimed.back()) plain.files.push_back(file);
    }
    CheckPlan plan = planChecks(plain, knownIds);
    if (!plan.error.empty()) return plan;
    std::set<std::string> servers;  // the lone server files, checked with their bridges file
    for (const auto& unit : claimed) {
        if (unit && unit->loneServer) servers.insert(lexicalKey(unit->paths.front()));
    }
    std::size_t next = line.serverFile.empty() ? 0 : 1;
    std::vector<CheckUnit> units(plan.units.begin(), plan.units.begin() + next);
    for (auto& unit : claimed) {
        if (!unit) {
            units.push_back(std::move(plan.units[next++]));
        } else if (unit->loneServer || servers.count(lexicalKey(unit->paths.front())) == 0) {
            units.push_back(std::move(*unit));
        }
    }
    plan.units = std::move(units);
    return plan;
}

}  // namespace

DeploymentSearch findDeployments(const std::string& directory, const CommandLine& line) {
    return searchOf(std::make_shared<DeploymentIndex>(directory, indexOptions(line, true)));
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
    if (input.searched && !line.displayName.empty()) {
        input.plan.error =
            "--display-name names one file, and '" + directories.front() + "' is a folder";
        return input;
    }
    if (input.searched && !line.schemaId.empty()) {
        input.plan.error = "--schema applies to FILE arguments; in folder '" + directories.front() +
                           "' the file names tell the schema";
        return input;
    }
    input.plan = planFiles(line, files.files, knownIds);
    if (!input.plan.error.empty()) return input;
    for (const auto& directory : directories) {
        DeploymentSearch search = findDeployments(directory, line);
        if (search.empty) input.emptyFolders.push_back(directory);
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
