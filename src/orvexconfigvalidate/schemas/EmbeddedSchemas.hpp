// The built-in schema catalog: seven documents, keyed by schema id.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

struct EmbeddedSchema {
    const char* id;
    const char* text;
};

inline constexpr std::size_t kEmbeddedSchemaCount = 7;

// In registration order.
extern const EmbeddedSchema kEmbeddedSchemas[kEmbeddedSchemaCount];

// Parses every embedded text and stores it under its id, replacing what the
// id held. The texts are well-formed, so this does not throw in practice.
void registerEmbeddedSchemas(std::map<std::string, nlohmann::json>& schemas);

}  // namespace OrvexConfigValidate
