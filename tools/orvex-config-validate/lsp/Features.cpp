#include "Features.hpp"

#include <utility>

#include "CodeActions.hpp"
#include "Completion.hpp"
#include "Diagnostics.hpp"
#include "DocumentLinks.hpp"
#include "FoldingRanges.hpp"
#include "GroupIdRequests.hpp"
#include "Navigation.hpp"
#include "Outline.hpp"
#include "RequestParams.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

nlohmann::json hover(const FeatureContext& context) {
    const Document& document = context.document;
    const auto found =
        hoverAt(document.schemaId, document.parsed(), context.offset(), &context.validator);
    if (!found) return nullptr;
    return {{"contents",
             {{"kind", found->markdown ? "markdown" : "plaintext"}, {"value", found->text}}},
            {"range",
             rangeOf(document.parsed().locate(found->pointer), document.text, context.positions)}};
}

nlohmann::json definition(const FeatureContext& context) {
    const Document& document = context.document;
    const auto target = definitionAt(document.schemaId, document.parsed(), context.offset());
    if (!target) return nullptr;
    const TextLocation location = document.parsed().locate(*target);
    return {{"uri", document.uri},
            {"range",
             rangeBetween(location.offset, location.offset + location.length, context.positions)}};
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
    {"textDocument/completion", valueOf<completion>},
    {"textDocument/references", valueOf<references>},
    {"textDocument/documentHighlight", valueOf<documentHighlight>},
    {"textDocument/prepareRename", valueOf<prepareRename>},
    {"textDocument/rename", rename},
    {"textDocument/documentSymbol", documentSymbols},
    {"textDocument/codeLens", valueOf<codeLenses>},
    {"textDocument/documentLink", valueOf<documentLinks>},
    {"textDocument/foldingRange", valueOf<foldingRanges>},
    {"textDocument/codeAction", valueOf<codeActions>},
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
}

}  // namespace OrvexConfigValidate::Lsp
