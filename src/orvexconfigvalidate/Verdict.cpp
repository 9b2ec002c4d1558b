#include "Verdict.hpp"

#include <algorithm>

namespace OrvexConfigValidate {

namespace {

bool hasSeverity(const ValidationResult& result, Severity severity) {
    return std::any_of(result.issues.begin(), result.issues.end(),
                       [severity](const Issue& issue) { return issue.severity == severity; });
}

}  // namespace

void applyVerdict(ValidationResult& result, const ValidateOptions& options) {
    if (options.failOnWarning && hasSeverity(result, Severity::Warning)) {
        result.ok = false;
    }
    if (options.failOnInfo && hasSeverity(result, Severity::Info)) {
        result.ok = false;
    }
    if (result.hasErrors()) {
        result.ok = false;
    }
}

}  // namespace OrvexConfigValidate
