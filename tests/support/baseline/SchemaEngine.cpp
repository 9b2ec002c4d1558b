#include "baseline/SchemaEngine.hpp"

#include <fstream>
#include <mutex>
#include <utility>

#include "baseline/SchemaBundle.hpp"
#include "schemas/EmbeddedSchemas.hpp"
#include "schemas/SchemaId.hpp"

namespace OrvexConfigValidate::baseline {
namespace {

// Probe order for a schema directory.
const char* const kSchemaIds[] = {"BridgingServerConfiguration",
                                  "BridgingConfiguration",
                                  "Group",
                                  "Obs",
                                  "enums",
                                  "NetworkAddress",
                                  nullptr};

}  // namespace

SchemaEngine& SchemaEngine::instance() {
    static SchemaEngine engine;
    return engine;
}

void SchemaEngine::ensureLoaded() {
    {
        std::shared_lock<std::shared_mutex> lock(mutex);
        if (loaded) return;
    }
    std::unique_lock<std::shared_mutex> lock(mutex);
    if (loaded) return;
    registerEmbeddedSchemas(schemas);
    loaded = true;
}

void SchemaEngine::loadFromDirectory(const std::string& dir) {
    ensureLoaded();
    for (const char* const* id = kSchemaIds; *id != nullptr; ++id) {
        loadSchemaFile(*id, dir + "/" + *id + ".schema.json");
        loadSchemaFile(*id, dir + "/common/" + *id + ".schema.json");
    }
}

void SchemaEngine::loadSchemaFile(const std::string& schemaId, const std::string& path) {
    std::ifstream stream(path);
    if (!stream) return;
    nlohmann::json document;
    try {
        // Stream input is not strict: one value is read and whatever
        // follows it is never examined.
        stream >> document;
    } catch (const std::exception&) {
        // A broken file leaves the document that the id already has.
        return;
    }
    if (jsonNestingDepth(document) > kMaxSchemaNesting) {
        // Every use copies the document, and copying recurses per level.
        document = nlohmann::json{
            {kUnusableSchemaMember, "schema file " + path + " is nested deeper than " +
                                        std::to_string(kMaxSchemaNesting) + " levels"}};
    }
    std::unique_lock<std::shared_mutex> lock(mutex);
    schemas[schemaId] = std::move(document);
}

bool SchemaEngine::hasSchema(const std::string& schemaId) const {
    std::shared_lock<std::shared_mutex> lock(mutex);
    return schemas.find(schemaId) != schemas.end();
}

nlohmann::json SchemaEngine::getSchema(const std::string& schemaId) const {
    std::shared_lock<std::shared_mutex> lock(mutex);
    const auto found = schemas.find(schemaId);
    return found == schemas.end() ? nlohmann::json() : found->second;
}

bool SchemaEngine::resolveRef(const std::string& referenceText, nlohmann::json& out) const {
    const std::string id = normalizeSchemaId(referenceText);
    nlohmann::json copy;
    {
        std::shared_lock<std::shared_mutex> lock(mutex);
        const auto found = schemas.find(id);
        if (found == schemas.end()) return false;
        copy = found->second;
    }
    out = std::move(copy);
    return true;
}

}  // namespace OrvexConfigValidate::baseline
