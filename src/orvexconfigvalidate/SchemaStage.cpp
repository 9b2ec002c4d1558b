#include "SchemaStage.hpp"

#include <exception>

#include "engine/CompiledSchema.hpp"
#include "semantic/SemanticRules.hpp"

namespace OrvexConfigValidate {

void validateAgainstSchema(const SchemaSet& schemas, const std::string& schemaId, JsonView document,
                           ValidationResult& result, const ValidateOptions& options) {
    const auto index = catalogIndex(schemaId);
    if (!index) {
        result.addIssue(Severity::Error, "/", IssueCode::kUnknownSchema,
                        "Unknown schema id: " + schemaId);
        return;
    }
    const SchemaCompilation& compilation = schemas.compiled(*index);
    if (!compilation.schema) {
        result.addIssue(Severity::Error, "/", IssueCode::kSchemaEngine, compilation.error);
        return;
    }
    EvaluationOptions evaluation;
    evaluation.strict = options.strict;
    try {
        evaluateSchema(*compilation.schema, document, result, evaluation);
    } catch (const std::exception& failure) {
        // Only exhaustion gets here; the issues found so far stay.
        result.addIssue(Severity::Error, "/", IssueCode::kSchemaEngine, failure.what());
    }
}

void validateView(const SchemaSet& schemas, const std::string& schemaId, JsonView document,
                  ValidationResult& result, const ValidateOptions& options) {
    validateAgainstSchema(schemas, schemaId, document, result, options);
    applySemanticRules(schemaId, document, result, options);
}

}  // namespace OrvexConfigValidate
