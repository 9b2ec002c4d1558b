#include "Documents.hpp"

#include <utility>

#include "FileUri.hpp"

namespace OrvexConfigValidate::Lsp {

const ParsedText& Document::parsed() const {
    if (!current) {
        current = std::make_shared<ParsedText>(parseText(text));
        if (current->ok()) lastGood = current;
    }
    return *current;
}

const ParsedText* Document::lastGoodParse() const {
    parsed();
    return lastGood.get();
}

const TextPositions& Document::positions() const {
    if (!textPositions) textPositions = std::make_unique<TextPositions>(text);
    return *textPositions;
}

const Configuration* Document::configuration() const {
    if (!parsed().ok()) return nullptr;
    if (!model || modelSchemaId != schemaId) {
        model = std::make_unique<Configuration>(schemaId, parsed().document());
        modelSchemaId = schemaId;
    }
    return model.get();
}

void Document::setText(std::string newText) {
    // What points into the old text or its parse goes first.
    model.reset();
    textPositions.reset();
    previousText = std::exchange(text, std::move(newText));
    current.reset();
}

Document& DocumentStore::open(const std::string& uri, std::string text, std::int64_t version) {
    Document& document = documents[uri];
    document.uri = uri;
    document.path = pathFromUri(uri);
    document.version = version;
    document.setText(std::move(text));
    return document;
}

void DocumentStore::close(const std::string& uri) {
    documents.erase(uri);
}

Document* DocumentStore::find(const std::string& uri) {
    const auto found = documents.find(uri);
    return found == documents.end() ? nullptr : &found->second;
}

const Document* DocumentStore::find(const std::string& uri) const {
    const auto found = documents.find(uri);
    return found == documents.end() ? nullptr : &found->second;
}

const Document* DocumentStore::findByPath(const std::string& path) const {
    if (path.empty()) return nullptr;
    for (const auto& [uri, document] : documents) {
        if (document.path == path) return &document;
    }
    return nullptr;
}

std::vector<const Document*> DocumentStore::inFolder(const std::string& directory) const {
    std::vector<const Document*> found;
    for (const auto& [uri, document] : documents) {
        if (!document.path.empty() && directoryOf(document.path) == directory) {
            found.push_back(&document);
        }
    }
    return found;
}

}  // namespace OrvexConfigValidate::Lsp
