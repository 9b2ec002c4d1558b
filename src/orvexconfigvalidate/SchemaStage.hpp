#pragma once

#include <string>

#include <orvexconfigvalidate/Validation.hpp>

#include "schemas/SchemaSet.hpp"

namespace OrvexConfigValidate {

// Checks the document against the schema registered under the id in the
// given set and adds one "schema" issue per violation; an unknown id gives
// "unknown_schema", a schema that cannot be used "schema_engine". Reads
// only options.strict.
void validateAgainstSchema(const SchemaSet& schemas, const std::string& schemaId,
                           const nlohmann::json& document, ValidationResult& result,
                           const ValidateOptions& options);

}  // namespace OrvexConfigValidate
