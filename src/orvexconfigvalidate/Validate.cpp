#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "SchemaStage.hpp"
#include "Verdict.hpp"
#include "semantic/SemanticRules.hpp"

namespace OrvexConfigValidate {

ValidationResult validate(const std::string& schemaId, const nlohmann::json& document,
                          const ValidateOptions& options) {
    ValidationResult result;
    if (schemaId.empty()) {
        result.addIssue(Severity::Error, "/", "invalid_parameters", "schemaId is empty");
        return result;
    }
    validateAgainstSchema(schemaId, document, result, options);
    applySemanticRules(schemaId, document, result, options);
    applyVerdict(result, options);
    return result;
}

}  // namespace OrvexConfigValidate
