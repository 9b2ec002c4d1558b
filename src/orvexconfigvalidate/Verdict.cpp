#include "Verdict.hpp"

#include <algorithm>

namespace OrvexConfigValidate {

bool failsVerdict(Severity severity, const ValidateOptions& options) {
    switch (severity) {
        case Severity::Error:
            return true;
        case Severity::Warning:
            return options.failOnWarning;
        case Severity::Info:
            return options.failOnInfo;
    }
    return false;
}

bool failsVerdict(const IssueCounts& counts, const ValidateOptions& options) {
    return (counts.errors != 0 && failsVerdict(Severity::Error, options)) ||
           (counts.warnings != 0 && failsVerdict(Severity::Warning, options)) ||
           (counts.infos != 0 && failsVerdict(Severity::Info, options));
}

void applyVerdict(ValidationResult& result, const ValidateOptions& options) {
    if (failsVerdict(result.omitted, options)) result.ok = false;
    if (std::any_of(result.issues.begin(), result.issues.end(), [&options](const Issue& issue) {
            return failsVerdict(issue.severity, options);
        })) {
        result.ok = false;
    }
}

}  // namespace OrvexConfigValidate
