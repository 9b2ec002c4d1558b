#include "Deployments.hpp"

#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
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
    unit.partnerBytes = found.bridgesSize;
    return unit;
}

DeploymentSearch searchOf(const std::string& directory,
                          const std::shared_ptr<DeploymentIndex>& index) {
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

// Where the server file of a lone FILE is looked for: its folder and those
// above it up to the working directory; only its own folder when it lies
// elsewhere.
std::string searchRootOf(const std::string& file) {
    const fs::path normal = fs::path(file).lexically_normal();
    if (normal.is_relative() && *normal.begin() != "..") return ".";
    const std::string folder = fs::path(file).parent_path().generic_string();
    return folder.empty() ? "." : folder;
}

// The lone FILE arguments that a server file names, each as the check of its
// deployment; the others as planChecks plans them.
class LoneFiles {
  public:
    explicit LoneFiles(const CommandLine& line) : line_(line) {}

    std::optional<CheckUnit> claimed(const std::string& file) {
        if (!line_.schemaId.empty() || file == "-" ||
            schemaIdForFileName(file) == kServerSchemaId) {
            return std::nullopt;
        }
        std::shared_ptr<DeploymentIndex>& index = indexes_[searchRootOf(file)];
        if (!index) {
            index =
                std::make_shared<DeploymentIndex>(searchRootOf(file), indexOptions(line_, false));
        }
        const std::optional<std::string> server = index->serverOf(file);
        if (!server) return std::nullopt;
        DeploymentUnit found;
        found.serverFile = *server;
        CheckUnit unit = deploymentUnit(found, index);
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
        claimed.push_back(lone.claimed(file));
        if (!claimed.back()) plain.files.push_back(file);
    }
    CheckPlan plan = planChecks(plain, knownIds);
    if (!plan.error.empty()) return plan;
    std::size_t next = line.serverFile.empty() ? 0 : 1;
    std::vector<CheckUnit> units(plan.units.begin(), plan.units.begin() + next);
    for (auto& unit : claimed) {
        units.push_back(unit ? std::move(*unit) : std::move(plan.units[next++]));
    }
    plan.units = std::move(units);
    return plan;
}

}  // namespace

DeploymentSearch findDeployments(const std::string& directory, const CommandLine& line) {
    return searchOf(directory,
                    std::make_shared<DeploymentIndex>(directory, indexOptions(line, true)));
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
    input.plan = planFiles(line, files.files, knownIds);
    if (!input.plan.error.empty()) return input;
    for (const auto& directory : directories) {
        DeploymentSearch search = findDeployments(directory, line);
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
