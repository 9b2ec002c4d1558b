#include "Features.hpp"

#include <utility>
#include <vector>

#include "CodeActions.hpp"
#include "Completion.hpp"
#include "Diagnostics.hpp"
#include "DocumentLinks.hpp"
#include "FileUri.hpp"
#include "FoldingRanges.hpp"
#include "Formatting.hpp"
#include "Navigation.hpp"
#include "Outline.hpp"
#include "ProjectActions.hpp"
#include "ProtocolKinds.hpp"
#include "Replies.hpp"
#include "RequestParams.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

nlohmann::json hover(const FeatureContext& context) {
    const auto found = hoverOf(context.document, context.offset(), context.validator);
    if (!found) return nullptr;
    return {{"contents",
             {{"kind", found->markdown ? "markdown" : "plaintext"}, {"value", found->text}}},
            {"range", rangeOf(found->location, context.document.text(), context.positions)}};
}

nlohmann::json definition(const FeatureContext& context) {
    const auto target = definitionOf(context.document, context.offset());
    if (!target) return nullptr;
    const TextLocation& location = target->location;
    return {{"uri", target->uri},
            {"range",
             rangeBetween(location.offset, location.offset + location.length, context.positions)}};
}

nlohmann::json foldingReply(const FeatureContext& context) {
    nlohmann::json out = nlohmann::json::array();
    for (const FoldingRange& range : foldingRanges(context.document.text())) {
        out.push_back({{"startLine", range.startLine}, {"endLine", range.endLine}});
    }
    return out;
}

nlohmann::json linkReply(const FeatureContext& context) {
    nlohmann::json out = nlohmann::json::array();
    if (const auto link = bridgesFileLink(context.document)) {
        out.push_back({{"range", rangeBetween(link->begin, link->end, context.positions)},
                       {"target", uriFromPath(link->target)},
                       {"tooltip", "the bridges file this server reads"}});
    }
    return out;
}

nlohmann::json editsOf(const std::vector<TextEdit>& textEdits, const TextPositions& positions) {
    nlohmann::json edits = nlohmann::json::array();
    for (const TextEdit& edit : textEdits) {
        edits.push_back({{"range", rangeBetween(edit.offset, edit.offset + edit.length, positions)},
                         {"newText", edit.newText}});
    }
    return edits;
}

nlohmann::json editsOf(const Fix& fix, const TextPositions& positions) {
    return editsOf(fix.edits, positions);
}

nlohmann::json codeActionReply(const FeatureContext& context) {
    const nlohmann::json& range = member(context.params, "range", "params");
    const std::size_t begin =
        context.positions.offsetOf(positionIn(member(range, "start", "range"), "start"));
    const std::size_t end =
        context.positions.offsetOf(positionIn(member(range, "end", "range"), "end"));
    const Document& document = context.document;
    nlohmann::json actions = nlohmann::json::array();
    for (const QuickFix& quick : quickFixes(*document.snapshot, begin, end)) {
        nlohmann::json action = {
            {"title", quick.fix->title},
            {"kind", "quickfix"},
            {"diagnostics", nlohmann::json::array({toDiagnostic(*quick.issue, document.text(),
                                                                context.positions, document.uri)})},
            {"edit", {{"changes", {{document.uri, editsOf(*quick.fix, context.positions)}}}}}};
        if (quick.preferred) action["isPreferred"] = true;
        actions.push_back(std::move(action));
    }
    if (context.project != nullptr)
        addProjectActions(actions, *context.project, document, context.positions, begin, end);
    return actions;
}

// Formatting options (tab size, spaces) are not asked: the layout is the
// canonical one, the same as fmt writes. No edits for a text that does not
// parse, as for one formatted already.
nlohmann::json formattingReply(const FeatureContext& context) {
    return editsOf(formattingEdits(context.document), context.positions);
}

int completionKind(CompletionItem::Kind kind) {
    switch (kind) {
        case CompletionItem::Member:
            return CompletionItemKind::kProperty;
        case CompletionItem::EnumValue:
            return CompletionItemKind::kEnumMember;
        case CompletionItem::Keyword:
            return CompletionItemKind::kKeyword;
        case CompletionItem::GroupId:
            break;
    }
    return CompletionItemKind::kValue;
}

// A CompletionList.
nlohmann::json completionReply(const FeatureContext& context) {
    const Completions found = completionsAt(context.document, context.offset(), context.validator);
    nlohmann::json items = nlohmann::json::array();
    for (const CompletionItem& item : found.items) {
        nlohmann::json out = {{"label", item.label},
                              {"kind", completionKind(item.kind)},
                              {"textEdit",
                               {{"range", rangeBetween(item.begin, item.end, context.positions)},
                                {"newText", item.newText}}}};
        if (!item.sortText.empty()) out["sortText"] = item.sortText;
        if (item.filterText) out["filterText"] = *item.filterText;
        if (!item.detail.empty()) out["detail"] = item.detail;
        if (item.documentationMarkdown) {
            out["documentation"] = {{"kind", "markdown"}, {"value", item.documentation}};
        } else if (!item.documentation.empty()) {
            out["documentation"] = item.documentation;
        }
        items.push_back(std::move(out));
    }
    return {{"isIncomplete", found.incomplete}, {"items", std::move(items)}};
}

// A feature whose answer is a value.
template <nlohmann::json (*answer)(const FeatureContext&)>
Result valueOf(const FeatureContext& context) {
    return answer(context);
}

struct Entry {
    const char* method;
    Feature feature;
};

const Entry kFeatures[] = {
    {"textDocument/hover", valueOf<hover>},
    {"textDocument/definition", valueOf<definition>},
    {"textDocument/completion", valueOf<completionReply>},
    {"textDocument/references", valueOf<references>},
    {"textDocument/documentHighlight", valueOf<documentHighlight>},
    {"textDocument/prepareRename", valueOf<prepareRename>},
    {"textDocument/rename", rename},
    {"textDocument/documentSymbol", documentSymbols},
    {"textDocument/codeLens", valueOf<codeLenses>},
    {"textDocument/documentLink", valueOf<linkReply>},
    {"textDocument/foldingRange", valueOf<foldingReply>},
    {"textDocument/codeAction", valueOf<codeActionReply>},
    {"textDocument/formatting", valueOf<formattingReply>},
};

}  // namespace

std::size_t FeatureContext::offset() const {
    return positions.offsetOf(positionOf(params));
}

Feature featureFor(std::string_view method) {
    for (const Entry& entry : kFeatures) {
        if (method == entry.method) return entry.feature;
    }
    return nullptr;
}

void addFeatureCapabilities(nlohmann::json& capabilities) {
    capabilities["hoverProvider"] = true;
    capabilities["definitionProvider"] = true;
    capabilities["completionProvider"] = {{"triggerCharacters", {"\"", "[", ",", ":", "{"}}};
    capabilities["referencesProvider"] = true;
    capabilities["documentHighlightProvider"] = true;
    capabilities["renameProvider"] = {{"prepareProvider", true}};
    capabilities["documentSymbolProvider"] = true;
    capabilities["codeLensProvider"] = {{"resolveProvider", false}};
    capabilities["documentLinkProvider"] = {{"resolveProvider", false}};
    capabilities["foldingRangeProvider"] = true;
    capabilities["codeActionProvider"] = {{"codeActionKinds", {"quickfix"}}};
    capabilities["documentFormattingProvider"] = true;
}

}  // namespace OrvexConfigValidate::Lsp
