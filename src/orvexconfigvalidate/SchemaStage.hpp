#pragma once

#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate {

// Checks the document against the schema registered under the id and adds
// one "schema" issue per violation; an unknown id gives "unknown_schema",
// a validator failure "schema_engine". Reads only options.schemaDir.
void validateAgainstSchema(const std::string& schemaId, const nlohmann::json& document,
                           ValidationResult& result, const ValidateOptions& options);

}  // namespace OrvexConfigValidate
