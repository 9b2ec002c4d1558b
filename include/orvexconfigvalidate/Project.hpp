// The project file: what a team decided about its checks, kept beside the
// configuration. Accepted issues (each one named by what it is about, with a
// reason and an optional expiry), severities changed per code and path, and
// the site rules (SiteRules.hpp). It is one JSON document checked against the
// embedded schema "Project", found by walking up from each checked file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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
    // `checked`: the files of the check whose issues could be judged (read
    // and parsed), as fileName() names them; only their entries are judged.
    void judge(ValidationResult& result, const std::vector<IssueIdentity>& identities,
               const std::vector<std::string>& checked, std::vector<AcceptedIssue>& accepted,
               const ValidateOptions& options);

    // A report's file name as entries write it: relative to the project
    // file's folder, "/" between names.
    std::string fileName(const std::string& file) const;

    // The files entries name that no check judged.
    std::vector<std::string> unjudgedFiles() const;

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
    // Entries by identity text, in file order: each issue finds its entry at once.
    std::map<std::string, std::vector<std::size_t>> byIdentity_;
    std::vector<bool> used_;
    std::vector<bool> judged_;  // the entry's file was checked
    std::size_t acceptedCount_ = 0;
};

// The keys of a check's issues; `bridges` is the bridges document that its
// issues of source `bridgesSource` speak of (absent: none).
std::vector<IssueKey> issueKeysOf(const ValidationResult& result, JsonView bridges,
                                  int bridgesSource);

// The projects of one run: the one given, or for each check the nearest
// project file of its first file, each read once.
class ProjectRun {
  public:
    // given: the project file named by the caller ("" to look for one);
    // today: "YYYY-MM-DD", UTC. Throws ProjectFileError for a given file
    // that cannot be read or parsed.
    // fingerprints: the reports want every issue's identity, also where no
    // project applies (SARIF, GitLab).
    ProjectRun(const std::string& given, std::string today, std::uint64_t maxFileSize,
               bool listAccepted, bool fingerprints = false);
    ~ProjectRun();
    ProjectRun(const ProjectRun&) = delete;
    ProjectRun& operator=(const ProjectRun&) = delete;

    // The project of a checked file (read on first use), or null when none:
    // its site rules run on the check's documents before apply().
    const Project* projectOf(const std::string& file);

    // Whether a check whose first file is `file` needs its issues' keys: a
    // project applies, or the reports want fingerprints. Keys cost a model
    // of the bridges document and a lookup per issue.
    bool wantsKeys(const std::string& file);

    // Judges the issues of one check (keys from issueKeysOf) under the
    // project of its files, the report entries' names (entries[source]).
    // Accepted issues leave the result; the report counts them, and lists
    // them when asked to. Throws ProjectFileError for a project file found
    // that cannot be parsed.
    void apply(Report& report, ValidationResult& result, const std::vector<IssueKey>& keys,
               const std::vector<std::size_t>& entries, const ValidateOptions& options);

    // After the run: each project file used, as a report entry with its own
    // issues (schema, unused and expired entries, with their fixes).
    void addProjectFiles(Report& report, const ValidateOptions& options) const;

    // Pruning needs every entry judged: the files entries name that this
    // run did not check (or could not judge), as the entries write them.
    std::vector<std::string> unjudgedFiles() const;
    // Each project file used, with the text it would have without the
    // entries that accepted nothing.
    std::vector<std::pair<std::string, std::string>> prunedTexts() const;
    // The identities of the issues still reported, per project file, for
    // adding entries that accept them; under "" those of files without a
    // project file, named from the working directory.
    std::vector<std::pair<std::string, std::vector<IssueIdentity>>> reported() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The text of a project file with entries added that accept each identity,
// with the reason and optional expiry; `projectText` empty: a new file.
// Identities that an entry already names are skipped.
std::string addAcceptEntries(std::string_view projectText,
                             const std::vector<IssueIdentity>& identities,
                             const std::string& reason, const std::string& expires);

}  // namespace OrvexConfigValidate
