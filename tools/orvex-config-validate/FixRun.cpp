#include "FixRun.hpp"

#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include <orvexconfigvalidate/Report.hpp>
#include "FixFiles.hpp"
#include "SafeReplace.hpp"

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

void refuse(FixOutcome& outcome, const std::string& message) {
    outcome.errors.push_back(printable(message, LineBreaks::Escape));
    outcome.refused = true;
}

void refuseFix(FixOutcome& outcome, const FileFix& fix, const std::string& why) {
    refuse(outcome, "cannot fix '" + fix.path + "': " + why);
}

// A fixed file written beside the one it replaces.
struct Ready {
    const FileFix* fix;
    Replacement replacement;
};

std::vector<Ready> prepare(const std::vector<FileFix>& fixes, FixOutcome& outcome) {
    std::vector<Ready> ready;
    for (const FileFix& fix : fixes) {
        std::string problem = replaceRefusal(*fix.source);
        if (problem.empty()) {
            Replacement replacement(fix.source, fixedText(fix));
            problem = replacement.problem();
            if (problem.empty()) {
                ready.push_back({&fix, std::move(replacement)});
                continue;
            }
        }
        refuseFix(outcome, fix, problem);
    }
    return ready;
}

// --fix: every file is written beside its original and found unchanged
// before any takes its place, so that one refused file leaves all as they
// were. Only a failing rename can leave some replaced.
void applyFixes(const std::vector<FileFix>& fixes, FixOutcome& outcome) {
    std::vector<Ready> ready = prepare(fixes, outcome);
    for (const Ready& each : ready) {
        const std::string changed = each.replacement.changed();
        if (!changed.empty()) refuseFix(outcome, *each.fix, changed);
    }
    if (outcome.refused) return;
    for (Ready& each : ready) {
        const std::string problem = each.replacement.putInPlace();
        if (problem.empty()) {
            outcome.applied += each.fix->applied;
        } else {
            refuseFix(outcome, *each.fix, problem);
        }
    }
}

// Standard input is read once, by the check; a FIFO or device may block or
// never end, and no rename can put a fixed text in its place.
void refuseUnreadable(const CommandLine& line, const InputPlan& plan, FixOutcome& outcome) {
    const std::string cannot =
        std::string("cannot ") + (line.fix == FixMode::Apply ? "fix" : "show the fixes of");
    if (readsStandardInput(plan)) {
        refuse(outcome, cannot + " standard input ('-'): name the file instead");
    }
    for (const std::string& path : irregularInputs(plan)) {
        std::string message = cannot;
        refuse(outcome, message.append(" '").append(path).append("': not a regular file"));
    }
}

// --diff: the diff of every fixed file, or none at all when one lies
// outside the working directory, where the diff's names start.
void showDiffs(const std::vector<FileFix>& fixes, FixOutcome& outcome) {
    std::error_code ec;
    const std::string here = std::filesystem::current_path(ec).string();
    for (const FileFix& fix : fixes) {
        if (const std::optional<std::string> diff = diffOf(fix, here)) {
            outcome.diff += *diff;
            continue;
        }
        refuse(outcome, "cannot show the fixes of '" + fix.path +
                            "': it is outside the working directory, where the diff's file "
                            "names start; run from a folder that holds it");
    }
    if (outcome.refused) outcome.diff.clear();
}

}  // namespace

FixOutcome runFixes(const CommandLine& line, const InputPlan& plan, const CheckOptions& options) {
    FixOutcome outcome;
    if (line.fix == FixMode::None) return outcome;
    refuseUnreadable(line, plan, outcome);
    if (outcome.refused) return outcome;
    const std::vector<FileFix> fixes = planFixes(plan, options);
    if (line.fix == FixMode::Diff) {
        showDiffs(fixes, outcome);
        return outcome;
    }
    applyFixes(fixes, outcome);
    return outcome;
}

}  // namespace OrvexConfigValidate::Tool
