#include "schemas/SchemaSet.hpp"

#include <utility>

#include "engine/Draft07MetaSchema.hpp"
#include "schemas/SchemaId.hpp"

namespace OrvexConfigValidate {

std::optional<std::size_t> catalogIndex(const std::string& schemaId) {
    for (std::size_t i = 0; i < kEmbeddedSchemaCount; ++i) {
        if (schemaId == kEmbeddedSchemas[i].id) return i;
    }
    return std::nullopt;
}

SchemaSet::SchemaSet(Documents documents) : docs(std::move(documents)) {}

// A check of a bridges file reads two of the six documents; parsing only
// those spares a fifth of the instructions of an empty file's check.
const std::shared_ptr<const nlohmann::json>& SchemaSet::embeddedDocument(std::size_t index) {
    static std::array<std::once_flag, kEmbeddedSchemaCount> once;
    static std::array<std::shared_ptr<const nlohmann::json>, kEmbeddedSchemaCount> parsed;
    std::call_once(once.at(index), [index] {
        parsed[index] = std::make_shared<const nlohmann::json>(
            nlohmann::json::parse(kEmbeddedSchemas[index].text));
    });
    return parsed[index];
}

const SchemaSet::Documents& SchemaSet::embeddedDocuments() {
    static const Documents parsed = [] {
        Documents documents;
        for (std::size_t i = 0; i < kEmbeddedSchemaCount; ++i) documents[i] = embeddedDocument(i);
        return documents;
    }();
    return parsed;
}

const std::shared_ptr<const SchemaSet>& SchemaSet::embedded() {
    static const std::shared_ptr<const SchemaSet> set =
        std::make_shared<const SchemaSet>(Documents{});
    return set;
}

const std::shared_ptr<const nlohmann::json>& SchemaSet::document(std::size_t index) const {
    return docs[index] ? docs[index] : embeddedDocument(index);
}

SchemaSet::Documents SchemaSet::documents() const {
    Documents all;
    for (std::size_t i = 0; i < kEmbeddedSchemaCount; ++i) all[i] = document(i);
    return all;
}

namespace {

const std::shared_ptr<const nlohmann::json>& metaSchema() {
    static const std::shared_ptr<const nlohmann::json> document =
        std::make_shared<const nlohmann::json>(nlohmann::json::parse(kDraft07MetaSchemaText));
    return document;
}

bool namesMetaSchema(const std::string& uri) {
    const std::string location = kDraft07MetaSchemaUri;
    return uri == location || uri == location + "#";
}

}  // namespace

std::shared_ptr<const nlohmann::json> SchemaSet::documentFor(const std::string& absoluteUri) const {
    if (namesMetaSchema(absoluteUri)) return metaSchema();
    const auto index = catalogIndex(normalizeSchemaId(absoluteUri));
    if (!index) return nullptr;
    return document(*index);
}

const SchemaCompilation& SchemaSet::compiled(std::size_t index) const {
    std::call_once(once[index], [this, index] {
        // A root without "$id" is based at the bare path of its id, so that
        // its relative references still name catalog documents.
        const std::string retrievalUri =
            std::string("/") + kEmbeddedSchemas[index].id + ".schema.json";
        compilations[index] =
            compileSchema(document(index), retrievalUri,
                          [this](const std::string& uri) { return documentFor(uri); });
    });
    return compilations[index];
}

}  // namespace OrvexConfigValidate
