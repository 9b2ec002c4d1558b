// The semantic stage: cross-field rules that a schema cannot express, run
// after the schema stage for the document kinds that carry groups or bridges.
#pragma once

#include <string>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// Dispatches by schema id ("Obs", "BridgingConfiguration", "Group"; others
// have no semantic rules). Reads the document only; never throws for it.
// Of the options only `strict` matters here (suggestions in Issue::hint).
void applySemanticRules(const std::string& schemaId, JsonView document, ValidationResult& result,
                        const ValidateOptions& options = ValidateOptions{});

// The rule pass over a configuration read already.
void applySemanticRules(const Configuration& configuration, ValidationResult& result,
                        const ValidateOptions& options = ValidateOptions{});

// The rule pass: group phase, then bridge phase, under the "mode" of the
// server settings (omRaw when it has no integer "mode"). Pointers are
// relative to the bridging document.
void checkBridgingDocument(JsonView serverSettings, JsonView bridgingDocument,
                           ValidationResult& result);

}  // namespace OrvexConfigValidate
