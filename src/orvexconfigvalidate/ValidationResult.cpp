#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include <algorithm>

namespace OrvexConfigValidate {

void ValidationResult::addIssue(Severity severity, const std::string& path, const std::string& code,
                                const std::string& message) {
    // ok changes only once the issue is stored, so a failed allocation
    // leaves the result as it was.
    Issue issue;
    issue.severity = severity;
    issue.path = path;
    issue.code = code;
    issue.message = message;
    issues.push_back(std::move(issue));
    if (severity == Severity::Error) {
        ok = false;
    }
}

bool ValidationResult::hasErrors() const {
    return std::any_of(issues.begin(), issues.end(),
                       [](const Issue& issue) { return issue.severity == Severity::Error; });
}

}  // namespace OrvexConfigValidate
