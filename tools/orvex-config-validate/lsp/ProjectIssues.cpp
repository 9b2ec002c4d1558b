#include "ProjectIssues.hpp"

#include <filesystem>
#include <utility>

#include <orvexconfigvalidate/Compare.hpp>
#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/SiteRules.hpp>

#include "Framing.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

// Expiry does not matter for naming an issue.
constexpr char kAnyDay[] = "1970-01-01";

std::optional<Project> projectOf(const std::string& path) {
    if (path.empty()) return std::nullopt;
    const std::optional<std::string> found = findProjectFile(path);
    if (!found) return std::nullopt;
    try {
        return readProject(*found, FrameDecoder::kDefaultMaxBody);
    } catch (const ProjectFileError&) {
        // Said at its place when the project file is open; no rules meanwhile.
        return std::nullopt;
    }
}

std::string relativeTo(const std::string& folder, const std::string& path) {
    if (path.empty()) return "";
    return std::filesystem::path(path)
        .lexically_relative(folder.empty() ? "." : folder)
        .generic_string();
}

// The site issues of a checked pair, both files' (empty without rules).
std::vector<Issue> siteIssuesOf(const CheckedPair& pair, bool ownIsServer) {
    const std::optional<Project> project = projectOf(pair.path);
    if (!project || !project->siteRules || !pair.own->parsed().ok()) return {};
    const ParsedText* partner = pair.partner ? &pair.partner->parsed() : nullptr;
    std::optional<ParsedText> partnerParse;
    if (partner == nullptr && pair.partnerText != nullptr) {
        partnerParse = parseText(*pair.partnerText);
        partner = &*partnerParse;
    }
    if (partner != nullptr && !partner->ok()) partner = nullptr;
    const ParsedText* server = ownIsServer ? &pair.own->parsed() : partner;
    const ParsedText* bridges = ownIsServer ? partner : &pair.own->parsed();
    SiteRuleInput input;
    if (server != nullptr) {
        input.server = server->root();
        input.serverText = server;
        input.serverFile = relativeTo(project->folder, ownIsServer ? pair.path : pair.partnerPath);
    }
    if (bridges != nullptr) {
        input.bridges = bridges->root();
        input.bridgesText = bridges;
        input.bridgesFile = relativeTo(project->folder, ownIsServer ? pair.partnerPath : pair.path);
    }
    ValidationResult result;
    applySiteRules(*project->siteRules, input, result);
    return std::move(result.issues);
}

}  // namespace

void ProjectIssues::afterCheck(const CheckedPair& pair) {
    if (!pair.own) return;
    const bool ownIsServer = pair.own->schemaId() == kServerSchemaId;
    const bool paired = ownIsServer || pair.own->schemaId() == kBridgesSchemaId;
    const std::vector<Issue> found =
        paired ? siteIssuesOf(pair, ownIsServer) : std::vector<Issue>();
    const int ownSource = ownIsServer ? 0 : 1;
    const auto keep = [&](const std::shared_ptr<const Snapshot>& snapshot, int source) {
        State state{snapshot->version(), {}};
        for (const Issue& issue : found)
            if (issue.source == source) state.issues.push_back(issue);
        states_[snapshot->key()] = std::move(state);
    };
    keep(pair.own, ownSource);
    if (pair.partner) keep(pair.partner, 1 - ownSource);
}

const std::vector<Issue>* ProjectIssues::issuesOf(const std::string& key,
                                                  std::int64_t version) const {
    const auto found = states_.find(key);
    if (found == states_.end() || found->second.version != version) return nullptr;
    return &found->second.issues;
}

std::optional<AcceptEdit> ProjectIssues::acceptEdit(const Snapshot& snapshot,
                                                    const std::string& path,
                                                    const Issue& issue) const {
    if (path.empty() || !adjustableCode(issue.code)) return std::nullopt;
    // Only under a project file: a folder without one has not chosen to
    // keep decisions, and no file is made in it unasked.
    const std::optional<std::string> found = findProjectFile(path);
    if (!found) return std::nullopt;
    Project project;
    try {
        project = readProject(*found, FrameDecoder::kDefaultMaxBody);
    } catch (const ProjectFileError&) {
        return std::nullopt;  // an entry cannot be added to what does not parse
    }
    AcceptEdit edit{*found, project.text, ""};
    // The issue's identity as a run names it: its occurrence counted among
    // the version's other issues of the same file.
    // A bridges file checked alone is its check's only text (source 0);
    // its issues are named as those of a bridges file all the same.
    const int source = snapshot.schemaId() == kBridgesSchemaId ? 1 : 0;
    ValidationResult all;
    for (const Issue& own : snapshot.result().issues) {
        if (own.source != snapshot.source()) continue;
        all.issues.push_back(own);
        all.issues.back().source = source;
    }
    if (const std::vector<Issue>* site = issuesOf(snapshot.key(), snapshot.version()))
        all.issues.insert(all.issues.end(), site->begin(), site->end());
    std::size_t index = 0;
    while (index < all.issues.size() &&
           !(all.issues[index].code == issue.code && all.issues[index].pointer == issue.pointer &&
             all.issues[index].message == issue.message))
        ++index;
    if (index == all.issues.size()) return std::nullopt;
    const bool bridges = source == 1 && snapshot.parsed().ok();
    const IssueKeys keys(bridges ? snapshot.parsed().root() : JsonView());
    std::vector<IssueKey> keyed;
    for (const Issue& each : all.issues) keyed.push_back(keys.keyOf(each));
    std::vector<std::string> files(2);
    files[static_cast<std::size_t>(source)] = path;
    const ProjectJudge judge(project, kAnyDay);
    const std::vector<IssueIdentity> identities = judge.identities(all, keyed, files);
    edit.newText = addAcceptEntries(edit.oldText, {identities[index]}, "", "");
    if (edit.newText == edit.oldText) return std::nullopt;
    return edit;
}

}  // namespace OrvexConfigValidate::Lsp
