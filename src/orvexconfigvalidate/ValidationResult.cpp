#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include <algorithm>

namespace OrvexConfigValidate {

void ValidationResult::addIssue(Severity severity, const std::string& path, const std::string& code,
                                const std::string& message) {
    Issue issue;
    issue.severity = severity;
    issue.path = path;
    issue.code = code;
    issue.message = message;
    // These callers write plain pointers, "/" standing for the document.
    issue.pointer = path == "/" ? std::string() : path;
    addIssue(std::move(issue));
}

void ValidationResult::addIssue(Issue issue) {
    // ok changes only once the issue is stored, so a failed allocation
    // leaves the result as it was.
    const Severity severity = issue.severity;
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
