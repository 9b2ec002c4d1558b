// The projects of one run, each read once, applied check by check.
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/Project.hpp>

namespace OrvexConfigValidate {

namespace {

struct Used {
    std::unique_ptr<Project> project;
    std::unique_ptr<ProjectJudge> judge;
    std::vector<IssueIdentity> reported;
};

// The sources of a check whose issues can be judged: read and parsed.
std::vector<bool> judgeable(const ValidationResult& result, std::size_t sources) {
    std::vector<bool> ok(sources, true);
    for (const Issue& issue : result.issues) {
        const auto source = static_cast<std::size_t>(issue.source);
        if (source < sources &&
            (issue.code == IssueCode::kParseError || issue.code == IssueCode::kReadError ||
             issue.code == IssueCode::kOutOfMemory)) {
            ok[source] = false;
        }
    }
    // Issues past the bound cannot be matched: their files stay unjudged.
    for (std::size_t source = 0; source < sources; ++source) {
        if (result.omittedIn(static_cast<int>(source)).total() != 0) ok[source] = false;
    }
    return ok;
}

}  // namespace

std::vector<IssueKey> issueKeysOf(const ValidationResult& result, JsonView bridges,
                                  int bridgesSource) {
    const IssueKeys keys(bridges);
    std::vector<IssueKey> out;
    out.reserve(result.issues.size());
    for (const Issue& issue : result.issues) {
        if (issue.source != bridgesSource || bridgesSource == 1) {
            out.push_back(keys.keyOf(issue));
            continue;
        }
        // A bridges file checked alone: its issues speak of it as source 1 does.
        Issue asBridges = issue;
        asBridges.source = 1;
        IssueKey key = keys.keyOf(asBridges);
        key.source = issue.source;
        out.push_back(std::move(key));
    }
    return out;
}

struct ProjectRun::Impl {
    std::string given;
    std::string today;
    std::uint64_t maxFileSize = 0;
    bool listAccepted = false;
    bool fingerprints = false;
    std::map<std::string, Used> used;  // by project file path
    // Files without a project are named from the working directory.
    Project none = [] {
        Project project;
        project.folder = ".";
        return project;
    }();
    ProjectJudge noneJudge{none, ""};
    std::vector<IssueIdentity> noneReported;

    Used* projectFor(const std::string& file) {
        const std::optional<std::string> path =
            given.empty() ? findProjectFile(file) : std::optional<std::string>(given);
        if (!path) return nullptr;
        auto found = used.find(*path);
        if (found == used.end()) {
            Used fresh;
            fresh.project = std::make_unique<Project>(readProject(*path, maxFileSize));
            fresh.judge = std::make_unique<ProjectJudge>(*fresh.project, today);
            found = used.emplace(*path, std::move(fresh)).first;
        }
        return &found->second;
    }
};

ProjectRun::ProjectRun(const std::string& given, std::string today, std::uint64_t maxFileSize,
                       bool listAccepted, bool fingerprints)
    : impl_(std::make_unique<Impl>()) {
    impl_->fingerprints = fingerprints;
    impl_->given = given;
    impl_->today = std::move(today);
    impl_->maxFileSize = maxFileSize;
    impl_->listAccepted = listAccepted;
    if (!given.empty()) impl_->projectFor(given);
}

ProjectRun::~ProjectRun() = default;

const Project* ProjectRun::projectOf(const std::string& file) {
    const Used* used = impl_->projectFor(file);
    return used != nullptr ? used->project.get() : nullptr;
}

bool ProjectRun::wantsKeys(const std::string& file) {
    return impl_->fingerprints || impl_->projectFor(file) != nullptr;
}

void ProjectRun::apply(Report& report, ValidationResult& result, const std::vector<IssueKey>& keys,
                       const std::vector<std::size_t>& entries, const ValidateOptions& options) {
    if (entries.empty()) return;
    std::vector<std::string> files;
    files.reserve(entries.size());
    for (const std::size_t entry : entries) files.push_back(report.files.at(entry).name);
    Used* project = impl_->projectFor(files.front());
    if (project == nullptr) {
        if (keys.size() != result.issues.size()) return;
        // Only the identities, for the reports' fingerprints.
        const std::vector<IssueIdentity> identities =
            impl_->noneJudge.identities(result, keys, files);
        for (std::size_t i = 0; i < result.issues.size(); ++i) {
            result.issues[i].identity = identityText(identities[i]);
            if (adjustableCode(result.issues[i].code)) impl_->noneReported.push_back(identities[i]);
        }
        return;
    }
    const std::vector<IssueIdentity> identities = project->judge->identities(result, keys, files);
    std::vector<std::string> checked;
    const std::vector<bool> ok = judgeable(result, files.size());
    for (std::size_t source = 0; source < files.size(); ++source) {
        if (ok[source]) checked.push_back(project->judge->fileName(files[source]));
    }
    std::vector<AcceptedIssue> accepted;
    project->judge->judge(result, identities, checked, accepted, options);
    for (const Issue& issue : result.issues) {
        if (!adjustableCode(issue.code)) continue;
        const auto at =
            std::find_if(identities.begin(), identities.end(), [&](const IssueIdentity& identity) {
                return identityText(identity) == issue.identity;
            });
        if (at != identities.end()) project->reported.push_back(*at);
    }
    report.accepted += accepted.size();
    if (!impl_->listAccepted) return;
    std::vector<Issue> issues;
    std::vector<std::string> reasons;
    for (AcceptedIssue& each : accepted) {
        issues.push_back(std::move(each.issue));
        reasons.push_back(std::move(each.reason));
    }
    addAcceptedIssues(report, issues, reasons, entries);
}

void ProjectRun::addProjectFiles(Report& report, const ValidateOptions& options) const {
    for (const auto& [path, used] : impl_->used) {
        const std::size_t entry = report.files.size();
        report.files.push_back({path, kProjectSchemaId, true, false});
        ValidationResult own;
        own.issues = used.project->issues;
        for (Issue& issue : used.judge->entryIssues()) own.issues.push_back(std::move(issue));
        addIssues(report, own, {entry}, {used.project->text}, 0, options);
    }
}

std::vector<std::string> ProjectRun::unjudgedFiles() const {
    std::vector<std::string> files;
    for (const auto& [path, used] : impl_->used) {
        for (const std::string& file : used.judge->unjudgedFiles()) files.push_back(file);
    }
    return files;
}

std::vector<std::pair<std::string, std::string>> ProjectRun::prunedTexts() const {
    std::vector<std::pair<std::string, std::string>> texts;
    for (const auto& [path, used] : impl_->used) texts.emplace_back(path, used.judge->prunedText());
    return texts;
}

std::vector<std::pair<std::string, std::vector<IssueIdentity>>> ProjectRun::reported() const {
    std::vector<std::pair<std::string, std::vector<IssueIdentity>>> out;
    for (const auto& [path, used] : impl_->used) out.emplace_back(path, used.reported);
    if (!impl_->noneReported.empty()) out.emplace_back("", impl_->noneReported);
    return out;
}

}  // namespace OrvexConfigValidate
