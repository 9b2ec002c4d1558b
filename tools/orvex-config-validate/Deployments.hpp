// Deployment folders: a directory argument stands for every deployment
// under it. A folder holding orvexbridged_conf.json is checked as the
// server/bridges pair, with the bridges file that the server names; a
// bridges.json that no server file names is checked alone. A lone FILE
// that a server file names is checked with that server file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Arguments.hpp"
#include "Check.hpp"
#include "Report.hpp"

namespace OrvexConfigValidate::Tool {

// A finding of the search itself, added to the report after the checks.
struct DeploymentIssue {
    std::string fileName;   // the report entry it belongs to (a server file, or a folder)
    bool ownEntry = false;  // true: the folder gets an entry of its own, as unreadable input
    std::string code;
    std::string message;
    std::optional<TextPosition> position;
    std::string path;  // JSON pointer in the server file ("/" the whole file), "" for none
};

struct DeploymentSearch {
    std::vector<CheckUnit> units;  // in sorted folder order
    std::vector<DeploymentIssue> issues;
    std::size_t deployments = 0;
    // Symbolic links that lead outside the searched folder, skipped.
    std::vector<std::string> skippedLinks;
    // No server or bridges file at any depth (and no folder that could
    // not be read): nothing to check.
    bool empty = false;
};

// The deployments under directory, as the library's deployment index finds
// them (its walk and link policy), with the command line's size limit.
DeploymentSearch findDeployments(const std::string& directory, const CommandLine& line = {});

// Everything a Check command line asks for: the pair and the files as
// planChecks plans them, then the deployments of each directory argument.
struct InputPlan {
    CheckPlan plan;
    std::vector<DeploymentIssue> issues;
    std::size_t deployments = 0;
    bool searched = false;  // some argument was a directory
    std::vector<std::string> skippedLinks;
    // Folder arguments that hold nothing to check.
    std::vector<std::string> emptyFolders;
    // Nothing at all to check: every argument is such a folder.
    bool nothingToCheck() const { return plan.units.empty() && issues.empty(); }
};

// The exit status when a folder argument holds nothing to check: neither a
// pass nor a failed check, nor a file that cannot be read.
constexpr int kNothingToCheckStatus = 4;

InputPlan planInputs(const CommandLine& line, const std::vector<std::string>& knownIds);

// Runs the plan's checks and adds the findings of the search; the
// diagnostics come out sorted, as runChecks gives them.
Report runPlan(const InputPlan& plan, const CheckOptions& options, KeptDocuments* keep = nullptr);

}  // namespace OrvexConfigValidate::Tool
