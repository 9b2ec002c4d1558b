#include "Results.hpp"

#include <algorithm>

namespace OrvexConfigValidate::Python {

PyIssue toPython(const Issue& issue) {
    PyIssue out;
    out.code = issue.code;
    out.severity = OrvexConfigValidate::severityName(issue.severity, "info");
    out.pointer = issue.pointer;
    out.path = issue.path;
    if (issue.location.known()) {
        out.line = issue.location.line;
        out.column = issue.location.column;
    }
    out.message = issue.message;
    out.source = issue.source;
    out.hint = issue.hint;
    out.suggestion = issue.suggestion;
    out.fixable = std::any_of(issue.fixes.begin(), issue.fixes.end(),
                              [](const Fix& fix) { return fix.safe; });
    return out;
}

PyResult toPython(const ValidationResult& result) {
    PyResult out;
    out.ok = result.ok;
    out.issues.reserve(result.issues.size());
    for (const Issue& issue : result.issues) out.issues.push_back(toPython(issue));
    out.omitted = result.omitted.total();
    return out;
}

std::string describe(const PyIssue& issue) {
    std::string text = "<Issue " + issue.severity + " " + issue.code + " at ";
    text += issue.pointer.empty() ? "/" : issue.pointer;
    if (issue.line)
        text += " line " + std::to_string(*issue.line) + ":" + std::to_string(*issue.column);
    return text + ">";
}

}  // namespace OrvexConfigValidate::Python
