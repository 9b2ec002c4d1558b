// A project applied to the issues of a run: identities, re-grading and
// acceptance, and what became of each entry.
#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/Project.hpp>

#include "model/Paths.hpp"
#include "project/ProjectText.hpp"

namespace OrvexConfigValidate {

namespace {

namespace fs = std::filesystem;

// The file named relative to the project's folder, "/" between names.
std::string relativeFile(const std::string& folder, const std::string& file) {
    std::error_code error;
    const fs::path base = fs::absolute(folder, error);
    const fs::path path = fs::absolute(file, error);
    const fs::path relative = path.lexically_normal().lexically_relative(base.lexically_normal());
    return relative.empty() ? pathKey(file) : relative.generic_string();
}

Severity severityOf(Grade grade) {
    if (grade == Grade::Warning) return Severity::Warning;
    if (grade == Grade::Note) return Severity::Info;
    return Severity::Error;
}

// The last severities entry for the code and file, or nullptr.
const SeverityEntry* gradeFor(const Project& project, const IssueIdentity& identity) {
    const SeverityEntry* found = nullptr;
    for (const SeverityEntry& entry : project.severities) {
        if (entry.code != identity.code) continue;
        if (!entry.files.empty() && !pathPatternMatches(entry.files, identity.file)) continue;
        found = &entry;
    }
    return found;
}

void rejudge(ValidationResult& result, const ValidateOptions& options) {
    result.ok = !failsVerdict(result.omitted, options) &&
                std::none_of(result.issues.begin(), result.issues.end(), [&](const Issue& issue) {
                    return failsVerdict(issue.severity, options);
                });
}

}  // namespace

bool operator==(const IssueIdentity& a, const IssueIdentity& b) {
    return a.code == b.code && a.file == b.file && a.element == b.element && a.id == b.id &&
           a.member == b.member && a.occurrence == b.occurrence;
}

std::string identityText(const IssueIdentity& identity) {
    // Lengths before the parts keep "a|b" and "a" + "|b" apart.
    std::string text;
    for (const std::string* part :
         {&identity.code, &identity.file, &identity.element, &identity.id, &identity.member}) {
        text += std::to_string(part->size()) + ':' + *part + ';';
    }
    return text + std::to_string(identity.occurrence);
}

bool adjustableCode(std::string_view code) {
    static constexpr std::string_view kFixed[] = {
        IssueCode::kParseError,         IssueCode::kReadError,         IssueCode::kOutOfMemory,
        IssueCode::kMissingBridgesFile, IssueCode::kInvalidParameters, IssueCode::kUnknownSchema,
        IssueCode::kSchemaEngine,       IssueCode::kUnusedAccept,      IssueCode::kExpiredAccept};
    if (code.rfind("site_", 0) == 0) return true;
    if (std::find(std::begin(kFixed), std::end(kFixed), code) != std::end(kFixed)) return false;
    return describeIssueCode(code) != nullptr;
}

ProjectJudge::ProjectJudge(const Project& project, std::string today)
    : project_(project),
      today_(std::move(today)),
      used_(project.accepted.size(), false),
      judged_(project.accepted.size(), false) {
    for (std::size_t e = 0; e < project.accepted.size(); ++e) {
        byIdentity_[identityText(project.accepted[e].identity)].push_back(e);
    }
}

std::vector<IssueIdentity> ProjectJudge::identities(const ValidationResult& result,
                                                    const std::vector<IssueKey>& keys,
                                                    const std::vector<std::string>& files) const {
    std::vector<IssueIdentity> out;
    std::map<std::string, std::size_t> seen;
    std::map<std::string, std::size_t> total;
    for (std::size_t i = 0; i < result.issues.size(); ++i) {
        const IssueKey& key = keys.at(i);
        const auto source = static_cast<std::size_t>(std::max(0, key.source));
        IssueIdentity identity{
            key.code,    source < files.size() ? fileName(files[source]) : std::string(),
            key.element, key.id,
            key.member,  0};
        ++total[identityText(identity)];
        out.push_back(std::move(identity));
    }
    // Occurrences only where the same key comes back.
    for (IssueIdentity& identity : out) {
        const std::string text = identityText(identity);
        if (total[text] > 1) identity.occurrence = ++seen[text];
    }
    return out;
}

std::string ProjectJudge::fileName(const std::string& file) const {
    return relativeFile(project_.folder, file);
}

std::vector<std::string> ProjectJudge::unjudgedFiles() const {
    std::vector<std::string> files;
    for (std::size_t e = 0; e < project_.accepted.size(); ++e) {
        const std::string& file = project_.accepted[e].identity.file;
        if (!judged_[e] && std::find(files.begin(), files.end(), file) == files.end()) {
            files.push_back(file);
        }
    }
    return files;
}

void ProjectJudge::judge(ValidationResult& result, const std::vector<IssueIdentity>& identities,
                         const std::vector<std::string>& checked,
                         std::vector<AcceptedIssue>& accepted, const ValidateOptions& options) {
    for (std::size_t e = 0; e < project_.accepted.size(); ++e) {
        const std::string& file = project_.accepted[e].identity.file;
        if (std::find(checked.begin(), checked.end(), file) != checked.end()) judged_[e] = true;
    }
    std::vector<Issue> kept;
    for (std::size_t i = 0; i < result.issues.size(); ++i) {
        Issue& issue = result.issues[i];
        const IssueIdentity& identity = identities.at(i);
        issue.identity = identityText(identity);
        if (!adjustableCode(issue.code)) {
            kept.push_back(std::move(issue));
            continue;
        }
        if (const SeverityEntry* grade = gradeFor(project_, identity)) {
            if (grade->grade == Grade::Off) continue;
            issue.severity = severityOf(grade->grade);
        }
        const std::size_t entry = entryFor(identity);
        if (entry == project_.accepted.size()) {
            kept.push_back(std::move(issue));
            continue;
        }
        used_[entry] = true;
        const AcceptEntry& match = project_.accepted[entry];
        if (expired(match.expires, today_)) {
            issue.message += " (accepted until " + match.expires + ")";
            kept.push_back(std::move(issue));
            continue;
        }
        ++acceptedCount_;
        accepted.push_back({std::move(issue), match.reason, match.expires});
    }
    result.issues = std::move(kept);
    rejudge(result, options);
}

std::size_t ProjectJudge::entryFor(const IssueIdentity& identity) const {
    const auto found = byIdentity_.find(identityText(identity));
    if (found == byIdentity_.end()) return project_.accepted.size();
    for (const std::size_t e : found->second) {
        if (!used_[e]) return e;
    }
    return project_.accepted.size();
}

std::vector<std::size_t> ProjectJudge::unusedEntries() const {
    std::vector<std::size_t> unused;
    for (std::size_t e = 0; e < project_.accepted.size(); ++e) {
        if (judged_[e] && !used_[e]) unused.push_back(e);
    }
    return unused;
}

std::vector<Issue> ProjectJudge::entryIssues() const {
    std::vector<Issue> issues;
    ParsedText parsed = parseText(project_.text);
    const std::vector<std::size_t> unused = unusedEntries();
    for (const std::size_t e : unused) {
        const AcceptEntry& entry = project_.accepted[e];
        Issue issue;
        issue.severity = Severity::Warning;
        issue.code = IssueCode::kUnusedAccept;
        issue.pointer = entry.pointer;
        issue.path = entry.pointer;
        issue.message = "this entry accepts no issue of " + entry.identity.file + " (" +
                        entry.identity.code + "): the issue is gone or has moved";
        issue.location = parsed.locate(entry.pointer);
        issue.fixes.push_back(
            {"Remove the unused entry", removeEntries(parsed, {entry.pointer}), true});
        issues.push_back(std::move(issue));
    }
    for (std::size_t e = 0; e < project_.accepted.size(); ++e) {
        const AcceptEntry& entry = project_.accepted[e];
        if (!used_[e] || !expired(entry.expires, today_)) continue;
        Issue issue;
        issue.severity = Severity::Warning;
        issue.code = IssueCode::kExpiredAccept;
        issue.pointer = entry.pointer + "/expires";
        issue.path = issue.pointer;
        issue.message = "this acceptance of " + entry.identity.code + " in " + entry.identity.file +
                        " expired (" + entry.expires + ")";
        issue.location = parsed.locate(issue.pointer);
        issues.push_back(std::move(issue));
    }
    return issues;
}

std::string ProjectJudge::prunedText() const {
    const ParsedText parsed = parseText(project_.text);
    std::vector<std::string> pointers;
    for (const std::size_t e : unusedEntries()) pointers.push_back(project_.accepted[e].pointer);
    return applyEdits(project_.text, removeEntries(parsed, pointers));
}

}  // namespace OrvexConfigValidate
