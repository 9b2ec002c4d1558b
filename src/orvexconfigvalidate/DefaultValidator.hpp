// The process-wide validator behind the free validate().
#pragma once

#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate {

// Like Validator::validate, with one difference kept for existing callers:
// the replacements that calls with a schemaDir made stay in force for later
// calls without one (the most recent file of each id wins). A call with a
// schemaDir is judged by the embedded schemas and that directory only.
ValidationResult validateWithDefaultValidator(const std::string& schemaId,
                                              const nlohmann::json& document,
                                              const ValidateOptions& options);

}  // namespace OrvexConfigValidate
