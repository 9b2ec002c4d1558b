// Process-wide holder of the parsed schema documents, keyed by schema id.
#pragma once

#include <map>
#include <shared_mutex>
#include <string>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate::baseline {

// Holds parsed documents only; every validation compiles its schema afresh
// from copies. Safe for concurrent use: readers share the lock, the first
// registration and schema-directory loads take it exclusively, and no lock
// is held while a file is parsed or a schema compiled.
class SchemaEngine {
  public:
    static SchemaEngine& instance();

    SchemaEngine(const SchemaEngine&) = delete;
    SchemaEngine& operator=(const SchemaEngine&) = delete;

    // Registers the embedded catalog, once per process.
    void ensureLoaded();
    // ensureLoaded, then replaces documents by "<dir>/<id>.schema.json" and
    // "<dir>/common/<id>.schema.json" (the latter wins). Silent about
    // missing or malformed files.
    void loadFromDirectory(const std::string& dir);

    bool hasSchema(const std::string& schemaId) const;
    // A copy of the document, or null for an unknown id.
    nlohmann::json getSchema(const std::string& schemaId) const;
    // True, with a copy of the named document in `out`, when the reference
    // text names a registered id; false with `out` untouched otherwise.
    bool resolveRef(const std::string& referenceText, nlohmann::json& out) const;

  private:
    SchemaEngine() = default;

    void loadSchemaFile(const std::string& schemaId, const std::string& path);

    mutable std::shared_mutex mutex;
    std::map<std::string, nlohmann::json> schemas;
    bool loaded = false;
};

}  // namespace OrvexConfigValidate::baseline
