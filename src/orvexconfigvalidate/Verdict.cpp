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

void applyVerdict(ValidationResult& result, const ValidateOptions& options) {
    if (std::any_of(result.issues.begin(), result.issues.end(), [&options](const Issue& issue) {
            return failsVerdict(issue.severity, options);
        })) {
        result.ok = false;
    }
}

}  // namespace OrvexConfigValidate
