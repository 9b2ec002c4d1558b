#include "CodeActions.hpp"

#include "Diagnostics.hpp"
#include "RequestParams.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

nlohmann::json editsOf(const Fix& fix, const TextPositions& positions) {
    nlohmann::json edits = nlohmann::json::array();
    for (const TextEdit& edit : fix.edits) {
        edits.push_back({{"range", rangeBetween(edit.offset, edit.offset + edit.length, positions)},
                         {"newText", edit.newText}});
    }
    return edits;
}

}  // namespace

nlohmann::json codeActions(const FeatureContext& context) {
    const nlohmann::json& range = member(context.params, "range", "params");
    const std::size_t begin =
        context.positions.offsetOf(positionIn(member(range, "start", "range"), "start"));
    const std::size_t end =
        context.positions.offsetOf(positionIn(member(range, "end", "range"), "end"));
    nlohmann::json actions = nlohmann::json::array();
    for (const IssueFixes& issue : context.document.fixes) {
        // A cursor that touches the marked place counts as on it.
        if (issue.begin > end || issue.end < begin) continue;
        bool preferred = false;
        for (const Fix& fix : issue.fixes) {
            nlohmann::json action = {
                {"title", fix.title},
                {"kind", "quickfix"},
                {"diagnostics", nlohmann::json::array({issue.diagnostic})},
                {"edit", {{"changes", {{context.document.uri, editsOf(fix, context.positions)}}}}}};
            if (fix.safe && !preferred) {
                action["isPreferred"] = true;
                preferred = true;
            }
            actions.push_back(std::move(action));
        }
    }
    return actions;
}

}  // namespace OrvexConfigValidate::Lsp
