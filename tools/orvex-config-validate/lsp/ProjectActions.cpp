#include "ProjectActions.hpp"

#include <algorithm>

#include "Diagnostics.hpp"
#include "FileUri.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

bool touches(const Issue& issue, std::size_t begin, std::size_t end) {
    const std::size_t from = issue.location.offset;
    return issue.location.known() && from <= end && from + issue.location.length >= begin;
}

nlohmann::json edit(std::size_t begin, std::size_t end, std::string text,
                    const TextPositions& positions) {
    return {{"range", rangeBetween(begin, end, positions)}, {"newText", std::move(text)}};
}

// The least edit that turns the old text into the new: the bytes they do
// not share at either end.
nlohmann::json leastEdit(const std::string& before, const std::string& after) {
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    // Whole UTF-8 sequences only: back off continuation bytes.
    while (head > 0 && (static_cast<unsigned char>(before[head]) & 0xC0U) == 0x80U) --head;
    const TextPositions positions(before);
    return edit(head, before.size() - tail, after.substr(head, after.size() - tail - head),
                positions);
}

nlohmann::json acceptAction(const AcceptEdit& accept, const nlohmann::json& diagnostic) {
    const std::string uri = uriFromPath(accept.projectPath);
    return {{"title", "Accept this issue"},
            {"kind", "quickfix"},
            {"diagnostics", nlohmann::json::array({diagnostic})},
            {"edit",
             {{"changes",
               {{uri, nlohmann::json::array({leastEdit(accept.oldText, accept.newText)})}}}}}};
}

}  // namespace

void addSiteDiagnostics(JsonPayload& list, const std::vector<Issue>& issues, std::string_view text,
                        const TextPositions& positions, const std::string& uri) {
    if (issues.empty()) return;
    nlohmann::json added = nlohmann::json::array();
    for (const Issue& issue : issues) added.push_back(toDiagnostic(issue, text, positions, uri));
    if (!list.text) {
        for (nlohmann::json& diagnostic : added) list.value.push_back(std::move(diagnostic));
        return;
    }
    std::string& encoded = *list.text;
    encoded.pop_back();  // the closing "]"
    for (const nlohmann::json& diagnostic : added) {
        if (encoded.size() > 1) encoded += ',';
        encoded += serialise(diagnostic);
    }
    encoded += ']';
}

void addProjectActions(nlohmann::json& actions, const ProjectIssues& project,
                       const Document& document, const TextPositions& positions, std::size_t begin,
                       std::size_t end) {
    const Snapshot& snapshot = *document.snapshot;
    std::vector<const Issue*> issues = publishedIssues(snapshot);
    if (const std::vector<Issue>* site = project.issuesOf(snapshot.key(), snapshot.version())) {
        for (const Issue& issue : *site) {
            issues.push_back(&issue);
            if (!touches(issue, begin, end)) continue;
            for (const Fix& fix : issue.fixes) {
                actions.push_back(
                    {{"title", fix.title},
                     {"kind", "quickfix"},
                     {"diagnostics", nlohmann::json::array({toDiagnostic(
                                         issue, document.text(), positions, document.uri)})},
                     {"edit", {{"changes", {{document.uri, nlohmann::json::array()}}}}}});
                nlohmann::json& edits = actions.back()["edit"]["changes"][document.uri];
                for (const TextEdit& change : fix.edits)
                    edits.push_back(edit(change.offset, change.offset + change.length,
                                         change.newText, positions));
            }
        }
    }
    for (const Issue* issue : issues) {
        if (!touches(*issue, begin, end)) continue;
        const std::optional<AcceptEdit> accept =
            project.acceptEdit(snapshot, document.path, *issue);
        if (!accept) continue;
        actions.push_back(
            acceptAction(*accept, toDiagnostic(*issue, document.text(), positions, document.uri)));
    }
}

}  // namespace OrvexConfigValidate::Lsp
