// Finding and reading the project file: it is checked like any other
// document, against the embedded "Project" schema, and entries that break
// the schema are reported there and left out.
#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Deployment.hpp>
#include <orvexconfigvalidate/Project.hpp>
#include <orvexconfigvalidate/SiteRules.hpp>

#include "model/Paths.hpp"

namespace OrvexConfigValidate {

namespace {

namespace fs = std::filesystem;

std::string memberText(JsonView object, std::string_view name) {
    const JsonView value = object.member(name);
    return value.isString() ? std::string(value.string()) : std::string();
}

// The pointers of the schema issues, sorted once: an entry asks whether one
// lies at or below it by search, so a long list of entries with many issues
// costs no more than sorting them.
std::vector<std::string> flaggedPointers(const std::vector<Issue>& issues) {
    std::vector<std::string> pointers;
    pointers.reserve(issues.size());
    for (const Issue& issue : issues) pointers.push_back(issue.pointer);
    std::sort(pointers.begin(), pointers.end());
    return pointers;
}

bool flagged(const std::vector<std::string>& sorted, const std::string& pointer) {
    if (std::binary_search(sorted.begin(), sorted.end(), pointer)) return true;
    const std::string below = pointer + "/";
    const auto next = std::lower_bound(sorted.begin(), sorted.end(), below);
    return next != sorted.end() && next->compare(0, below.size(), below) == 0;
}

void readAccepted(JsonView root, Project& project) {
    const JsonView list = root.member("accept");
    const std::vector<std::string> issues = flaggedPointers(project.issues);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const JsonView entry = list.element(i);
        AcceptEntry read;
        read.pointer = "/accept/" + std::to_string(i);
        if (!entry.isObject() || flagged(issues, read.pointer)) continue;
        read.identity.code = memberText(entry, "code");
        read.identity.file = pathKey(memberText(entry, "file"));
        read.identity.element = memberText(entry, "element");
        read.identity.id = memberText(entry, "id");
        read.identity.member = memberText(entry, "member");
        const JsonView occurrence = entry.member("occurrence");
        if (occurrence.isIntegral()) read.identity.occurrence = occurrence.unsignedInteger();
        read.reason = memberText(entry, "reason");
        read.expires = memberText(entry, "expires");
        project.accepted.push_back(std::move(read));
    }
}

Grade gradeOf(std::string_view level) {
    if (level == "warning") return Grade::Warning;
    if (level == "note") return Grade::Note;
    if (level == "off") return Grade::Off;
    return Grade::Error;
}

void readSeverities(JsonView root, Project& project) {
    const JsonView list = root.member("severities");
    const std::vector<std::string> issues = flaggedPointers(project.issues);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const JsonView entry = list.element(i);
        SeverityEntry read;
        read.pointer = "/severities/" + std::to_string(i);
        if (!entry.isObject() || flagged(issues, read.pointer)) continue;
        read.code = memberText(entry, "code");
        read.files = memberText(entry, "files");
        read.grade = gradeOf(memberText(entry, "level"));
        project.severities.push_back(std::move(read));
    }
}

// "line L, column C: message" of the parse error.
std::string parseMessage(const Issue& issue) {
    if (!issue.location.known()) return issue.message;
    return "line " + std::to_string(issue.location.line) + ", column " +
           std::to_string(issue.location.column) + ": " + issue.message;
}

}  // namespace

std::optional<std::string> findProjectFile(const std::string& checkedFile) {
    for (const std::string& folder : searchFolders(checkedFile)) {
        const std::string candidate = joinPath(folder, kProjectFileName);
        std::error_code error;
        if (fs::is_regular_file(candidate, error)) return candidate;
    }
    return std::nullopt;
}

Project readProject(const std::string& path, std::uint64_t maxFileSize) {
    FileText read = readConfigurationFile(path, maxFileSize);
    if (!read.text) throw ProjectFileError{path, read.error};
    Project project;
    project.path = path;
    project.folder = folderOf(path);
    project.text = std::move(*read.text);
    ParsedText parsed = parseText(project.text);
    if (!parsed.ok()) throw ProjectFileError{path, parseMessage(parsed.issues().front())};
    ValidationResult checked = validateText(kProjectSchemaId, parsed, ValidateOptions{});
    addFixes(checked, parsed, project.text);
    project.issues = std::move(checked.issues);
    const JsonView root = parsed.root();
    readAccepted(root, project);
    readSeverities(root, project);
    project.siteRules = readSiteRules(root.member(kSiteRulesMember),
                                      root.member(kSiteProfilesMember), project.issues);
    for (Issue& issue : project.issues) {
        if (!issue.location.known()) issue.location = parsed.locate(issue.pointer);
    }
    return project;
}

}  // namespace OrvexConfigValidate
