#include <orvexconfigvalidate/Validation.hpp>

#include <algorithm>
#include <cstddef>
#include <string>
#include <tuple>
#include <vector>

namespace OrvexConfigValidate {

namespace {

using IssueIdentity = std::tuple<int, std::string, std::string, Severity>;

std::vector<IssueIdentity> identitiesOf(const ValidationResult& result) {
    std::vector<IssueIdentity> keys;
    keys.reserve(result.issues.size());
    for (const Issue& issue : result.issues) {
        keys.emplace_back(issue.source, issue.code, issue.pointer, issue.severity);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

}  // namespace

bool bringsNoNewIssue(const ValidationResult& before, const ValidationResult& after) {
    const std::vector<IssueIdentity> was = identitiesOf(before);
    const std::vector<IssueIdentity> now = identitiesOf(after);
    return std::includes(was.begin(), was.end(), now.begin(), now.end());
}

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
    if (keepAtMost != 0 && issues.size() >= keepAtMost) {
        countOmitted(issue);
        return;
    }
    const Severity severity = issue.severity;
    issues.push_back(std::move(issue));
    if (severity == Severity::Error) {
        ok = false;
    }
}

void ValidationResult::dropPastBound() {
    if (keepAtMost == 0 || issues.size() <= keepAtMost) return;
    for (std::size_t i = keepAtMost; i < issues.size(); ++i) countOmitted(issues[i]);
    issues.erase(issues.begin() + static_cast<std::ptrdiff_t>(keepAtMost), issues.end());
}

void ValidationResult::countOmitted(const Issue& issue) {
    const std::string& pointer = issue.pointer;
    const bool underBridges =
        pointer.compare(0, 8, "/bridges") == 0 && (pointer.size() == 8 || pointer[8] == '/');
    countOmitted(issue.severity, issue.source == 1 || (envelope && underBridges));
}

void ValidationResult::countOmitted(Severity severity, bool inBridges) {
    omitted.add(severity);
    if (inBridges) omittedInBridges.add(severity);
    if (severity == Severity::Error) ok = false;
}

IssueCounts ValidationResult::omittedIn(int source) const {
    if (source == 1) return omittedInBridges;
    return {omitted.errors - omittedInBridges.errors, omitted.warnings - omittedInBridges.warnings,
            omitted.infos - omittedInBridges.infos};
}

bool ValidationResult::hasErrors() const {
    return omitted.errors != 0 || std::any_of(issues.begin(), issues.end(), [](const Issue& issue) {
               return issue.severity == Severity::Error;
           });
}

}  // namespace OrvexConfigValidate
