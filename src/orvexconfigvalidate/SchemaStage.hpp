#pragma once

#include <string>

#include <orvexconfigvalidate/JsonView.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include "schemas/SchemaSet.hpp"

namespace OrvexConfigValidate {

// Checks the document against the schema registered under the id in the
// given set and adds one "schema" issue per violation; an unknown id gives
// "unknown_schema", a schema that cannot be used "schema_engine". Reads
// only options.strict.
void validateAgainstSchema(const SchemaSet& schemas, const std::string& schemaId, JsonView document,
                           ValidationResult& result, const ValidateOptions& options);

// The schema stage, then the semantic rules, on a document whatever holds
// it: a nlohmann value or a lean document's root. Adds to `result`; the
// caller bounds it and gives the verdict.
void validateView(const SchemaSet& schemas, const std::string& schemaId, JsonView document,
                  ValidationResult& result, const ValidateOptions& options);

}  // namespace OrvexConfigValidate
