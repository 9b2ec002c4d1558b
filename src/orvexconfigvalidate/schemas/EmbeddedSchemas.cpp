#include "schemas/EmbeddedSchemas.hpp"

#include <orvexconfigvalidate/Validation.hpp>

#include "schemas/SchemaTexts.hpp"

namespace OrvexConfigValidate {

const EmbeddedSchema kEmbeddedSchemas[kEmbeddedSchemaCount] = {
    {"BridgingConfiguration", kBridgingConfigurationSchemaText},
    {"BridgingServerConfiguration", kBridgingServerConfigurationSchemaText},
    {"Obs", kObsSchemaText},
    {"Group", kGroupSchemaText},
    {"NetworkAddress", kNetworkAddressSchemaText},
    {"enums", kEnumsSchemaText},
    {"Project", kProjectSchemaText},
};

void registerEmbeddedSchemas(std::map<std::string, nlohmann::json>& schemas) {
    for (const EmbeddedSchema& entry : kEmbeddedSchemas) {
        schemas[entry.id] = nlohmann::json::parse(entry.text);
    }
}

std::vector<std::string> schemaIds() {
    std::vector<std::string> ids;
    ids.reserve(kEmbeddedSchemaCount);
    for (const EmbeddedSchema& entry : kEmbeddedSchemas) ids.emplace_back(entry.id);
    return ids;
}

nlohmann::json embeddedSchema(const std::string& schemaId) {
    // Parsed once, apart from the engine, so that schema-directory
    // replacements never show through here.
    static const std::map<std::string, nlohmann::json> parsed = [] {
        std::map<std::string, nlohmann::json> schemas;
        registerEmbeddedSchemas(schemas);
        return schemas;
    }();
    const auto found = parsed.find(schemaId);
    return found == parsed.end() ? nlohmann::json() : found->second;
}

}  // namespace OrvexConfigValidate
