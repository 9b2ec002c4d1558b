// One complete set of the six schema documents, as one call sees them, with
// each document compiled on first use and kept for the life of the set.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "engine/CompiledSchema.hpp"
#include "schemas/EmbeddedSchemas.hpp"

namespace OrvexConfigValidate {

// The catalog row of a schema id (exact, case-sensitive), if it has one.
std::optional<std::size_t> catalogIndex(const std::string& schemaId);

class SchemaSet {
  public:
    using Documents = std::array<std::shared_ptr<const nlohmann::json>, kEmbeddedSchemaCount>;

    // A slot left empty holds the embedded document of its row, parsed when
    // a call first needs it.
    explicit SchemaSet(Documents documents);
    SchemaSet(const SchemaSet&) = delete;
    SchemaSet& operator=(const SchemaSet&) = delete;

    // The embedded catalog: each document parsed and compiled once per
    // process, when a call first needs it.
    static const std::shared_ptr<const SchemaSet>& embedded();
    // The parsed embedded documents, in catalog order.
    static const Documents& embeddedDocuments();
    // One parsed embedded document.
    static const std::shared_ptr<const nlohmann::json>& embeddedDocument(std::size_t index);

    // The documents of every row (an empty slot's parsed now).
    Documents documents() const;

    // The document that a URI names: the draft-07 meta-schema, or the schema
    // id of the URI's last path segment (host and directories ignored).
    // Nothing outside this set is ever read.
    std::shared_ptr<const nlohmann::json> documentFor(const std::string& absoluteUri) const;

    // The compiled document of a catalog row; the first caller compiles it,
    // the others wait for that one compilation only.
    const SchemaCompilation& compiled(std::size_t index) const;

  private:
    const std::shared_ptr<const nlohmann::json>& document(std::size_t index) const;

    Documents docs;
    mutable std::array<std::once_flag, kEmbeddedSchemaCount> once;
    mutable std::array<SchemaCompilation, kEmbeddedSchemaCount> compilations;
};

}  // namespace OrvexConfigValidate
