// The project file: what a team decided about its checks, kept beside the
// configuration. Accepted issues (each one named by what it is about, with a
// reason and an optional expiry), severities changed per code and path, and
// the site rules (SiteRules.hpp). It is one JSON document checked against the
// embedded schema "Project", found by walking up from each checked file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Compare.hpp>
#include <orvexconfigvalidate/Report.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

struct SiteRuleSet;

inline constexpr char kProjectFileName[] = "orvex-project.json";
inline constexpr char kProjectSchemaId[] = "Project";

// What an issue is about, as an entry of the project file names it: the
// compare key, with the file relative to the project file's folder, and an
// occurrence (1, 2, ...) only where the same key comes back in one file
// (repeated ids); 0 where it is unique.
struct IssueIdentity {
    std::string code;
    std::string file;
    std::string element;  // "group", "bridge" or ""
    std::string id;
    std::string member;
    std::size_t occurrence = 0;
};

bool operator==(const IssueIdentity& a, const IssueIdentity& b);

// One text per identity, for fingerprints: the parts joined unambiguously.
std::string identityText(const IssueIdentity& identity);

// One entry of "accept".
struct AcceptEntry {
    IssueIdentity identity;
    std::string reason;
    std::string expires;  // "YYYY-MM-DD" as written, or "" for never
    std::string pointer;  // its place in the project document ("/accept/3")
};

// The level a "severities" entry gives; Off drops the issue.
enum class Grade { Error, Warning, Note, Off };

// One entry of "severities": issues of `code` in files matching `files`
// (a path pattern relative to the project file's folder: "*" within one
// name, "**" across folders; "" for every file) get `grade`. The last
// matching entry wins.
struct SeverityEntry {
    std::string code;
    std::string files;
    Grade grade = Grade::Error;
    std::string pointer;
};

// A project file, read.
struct Project {
    std::string path;    // as found or given
    std::string folder;  // files are named relative to it
    std::string text;    // kept, for placing the project's own issues and fixes
    std::vector<AcceptEntry> accepted;
    std::vector<SeverityEntry> severities;
    // The site rules of its "rules" member (SiteRules.hpp); null when none.
    std::shared_ptr<const SiteRuleSet> siteRules;
    // What is wrong with the project file itself (schema, site rules), placed.
    std::vector<Issue> issues;
};

// A project file that is not one JSON document (or cannot be read): the run
// stops. The message names the place ("line L, column C: ...").
struct ProjectFileError {
    std::string path;
    std::string message;
};

// The project file of a checked file: the nearest one in the folders the
// deployment search walks for it (Deployment.hpp's searchFolders), or
// nullopt when there is none.
std::optional<std::string> findProjectFile(const std::string& checkedFile);

// Reads and checks a project file. Throws ProjectFileError when the file
// cannot be read or parsed; entries that break the schema are issues in
// Project::issues and are left out.
Project readProject(const std::string& path, std::uint64_t maxFileSize);

// Whether the code may be accepted or re-graded: what the file itself says,
// not that it could not be read (parse_error, read_error, missing bridges
// file, out of memory, tool errors).
bool adjustableCode(std::string_view code);

// An issue that an entry accepted, with the entry's reason and expiry.
struct AcceptedIssue {
    Issue issue;
    std::string reason;
    std::string expires;
};

// Whether an entry's expiry date has passed on `today` (both "YYYY-MM-DD",
// UTC): the entry still holds on its own day; a date that is not a real
// day counts as passed.
bool expired(const std::string& expires, const std::string& today);

// Applies one project to the issues of a run. Identities are taken while
// the documents are alive (keys of IssueKeys), then each check's issues are
// re-graded and accepted; at the end, the entries' fate becomes the project
// file's own issues.
class ProjectJudge {
  public:
    // today: "YYYY-MM-DD" (UTC) against which expiry dates are judged.
    ProjectJudge(const Project& project, std::string today);

    // The identities of a check's issues: keys[i] is the key of
    // result.issues[i], files[source] each source's report name.
    std::vector<IssueIdentity> identities(const ValidationResult& result,
                                          const std::vector<IssueKey>& keys,
                                          const std::vector<std::string>& files) const;

    // Re-grades the issues (dropping those turned off), takes out those an
    // entry accepts (into `accepted`, with the reason), marks those whose
    // entry expired, and sets each issue's fingerprint. The result's verdict
    // is judged again with `options`.
    void judge(ValidationResult& result, const std::vector<IssueIdentity>& identities,
               std::vector<AcceptedIssue>& accepted, const ValidateOptions& options);

    // Entries that matched nothing in a checked file (unused_accept, with a
    // fix that removes the entry) and expired entries (expired_accept), as
    // issues of the project file, placed in its text.
    std::vector<Issue> entryIssues() const;

    // Entries to keep when unused ones are pruned: the project text without
    // them. Only meaningful after a run that checked every file.
    std::string prunedText() const;

    std::size_t acceptedCount() const { return acceptedCount_; }

  private:
    std::size_t entryFor(const IssueIdentity& identity) const;
    std::vector<std::size_t> unusedEntries() const;

    const Project& project_;
    std::string today_;
    std::vector<bool> used_;
    std::vector<bool> judged_;  // the entry's file was checked
    std::size_t acceptedCount_ = 0;
};

// The text of a project file with entries added that accept each identity,
// with the reason and optional expiry; `projectText` empty: a new file.
// Identities that an entry already names are skipped.
std::string addAcceptEntries(std::string_view projectText,
                             const std::vector<IssueIdentity>& identities,
                             const std::string& reason, const std::string& expires);

}  // namespace OrvexConfigValidate
