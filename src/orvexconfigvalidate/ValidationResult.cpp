#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include <algorithm>
#include <cstddef>

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

void IssueCounts::add(Severity severity) {
    if (severity == Severity::Error) ++errors;
    if (severity == Severity::Warning) ++warnings;
    if (severity == Severity::Info) ++infos;
}

IssueCounts& IssueCounts::operator+=(const IssueCounts& other) {
    errors += other.errors;
    warnings += other.warnings;
    infos += other.infos;
    return *this;
}

void ValidationResult::addIssue(Issue issue) {
    // ok changes only once the issue is stored, so a failed allocation
    // leaves the result as it was.
    const Severity severity = issue.severity;
    if (keepAtMost != 0 && issues.size() >= keepAtMost) {
        omitted.add(severity);
    } else {
        issues.push_back(std::move(issue));
    }
    if (severity == Severity::Error) {
        ok = false;
    }
}

void ValidationResult::dropPastBound() {
    if (keepAtMost == 0 || issues.size() <= keepAtMost) return;
    for (std::size_t i = keepAtMost; i < issues.size(); ++i) {
        omitted.add(issues[i].severity);
        if (issues[i].severity == Severity::Error) ok = false;
    }
    issues.erase(issues.begin() + static_cast<std::ptrdiff_t>(keepAtMost), issues.end());
}

bool ValidationResult::hasErrors() const {
    return omitted.errors != 0 || std::any_of(issues.begin(), issues.end(), [](const Issue& issue) {
               return issue.severity == Severity::Error;
           });
}

}  // namespace OrvexConfigValidate
