#include "FixRun.hpp"

#include <filesystem>
#include <optional>
#include <system_error>

#include "FixFiles.hpp"
#include "SafeText.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

bool readsStandardInput(const InputPlan& plan) {
    for (const CheckUnit& unit : plan.plan.units) {
        for (const std::string& path : unit.paths) {
            if (path == "-") return true;
        }
    }
    return false;
}

// --fix: writes the fixes, and says which files it could not write.
void applyFixes(const std::vector<FileFix>& fixes, FixOutcome& outcome) {
    for (const FileFix& fix : fixes) {
        const std::string problem = writeFixed(fix);
        if (problem.empty()) {
            outcome.applied += fix.applied;
            continue;
        }
        outcome.errors.push_back(printable(problem, LineBreaks::Escape));
        outcome.refused = true;
    }
}

// --diff: the diff of every fixed file, or none at all when one lies
// outside the working directory, where the diff's names start.
void showDiffs(const std::vector<FileFix>& fixes, const std::string& cannot, FixOutcome& outcome) {
    std::error_code ec;
    const std::string here = std::filesystem::current_path(ec).string();
    for (const FileFix& fix : fixes) {
        if (const std::optional<std::string> diff = diffOf(fix, here)) {
            outcome.diff += *diff;
            continue;
        }
        outcome.errors.push_back(cannot + " '" + printable(fix.path, LineBreaks::Escape) +
                                 "': it is outside the working directory, where the diff's "
                                 "file names start; run from a folder that holds it");
        outcome.refusedUnread = true;
    }
    if (outcome.refusedUnread) outcome.diff.clear();
}

}  // namespace

FixOutcome runFixes(const CommandLine& line, const InputPlan& plan, const CheckOptions& options) {
    FixOutcome outcome;
    if (line.fix == FixMode::None) return outcome;
    const std::string cannot =
        std::string("cannot ") + (line.fix == FixMode::Apply ? "fix" : "show the fixes of");
    if (readsStandardInput(plan)) {
        outcome.errors.push_back(cannot + " standard input ('-'): name the file instead");
        outcome.refusedUnread = true;
        return outcome;
    }
    for (const std::string& path : irregularInputs(plan)) {
        outcome.errors.push_back(cannot + " '" + printable(path, LineBreaks::Escape) +
                                 "': not a regular file");
        outcome.refusedUnread = true;
    }
    if (outcome.refusedUnread) return outcome;
    const std::vector<FileFix> fixes = planFixes(plan, options);
    if (line.fix == FixMode::Diff) {
        showDiffs(fixes, cannot, outcome);
        return outcome;
    }
    applyFixes(fixes, outcome);
    return outcome;
}

}  // namespace OrvexConfigValidate::Tool
