// The configuration model a check's rule pass read, kept for the caller:
// the editor's workspace hands it to the version's snapshot and to the
// carry of the next edit, so that a version's model is read once.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

struct KeptModel {
    // Null when the rule pass did not run (a text that does not read, an
    // empty schema id). Its views point into the document judged.
    std::unique_ptr<Configuration> model;
    // How many issues the rule pass gave.
    std::size_t ruleIssues = 0;
};

// Validator::validate, keeping the model of the document judged.
ValidationResult validateKeepingModel(const Validator& validator, const std::string& schemaId,
                                      const nlohmann::json& document,
                                      const ValidateOptions& options, KeptModel& kept);

// Validator::validate on a view (a lean document's root, say); with a
// `kept`, the model of the document judged is kept there.
ValidationResult validateViewWith(const Validator& validator, const std::string& schemaId,
                                  JsonView document, const ValidateOptions& options,
                                  KeptModel* kept);

// Validator::validateText of a parse, keeping the model of its document.
ValidationResult validateTextKeepingModel(const Validator& validator, const std::string& schemaId,
                                          const Document& parsed, const ValidateOptions& options,
                                          KeptModel& kept);

}  // namespace OrvexConfigValidate
