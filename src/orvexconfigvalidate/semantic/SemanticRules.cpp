#include "semantic/SemanticRules.hpp"

#include "semantic/BridgeRules.hpp"
#include "semantic/FloatReadings.hpp"
#include "semantic/GroupRules.hpp"

namespace OrvexConfigValidate {

void applySemanticRules(const Configuration& configuration, ValidationResult& result,
                        const ValidateOptions& options) {
    // Without a "groups" array there is nothing to resolve bridges against,
    // so the bridges are not looked at either.
    if (configuration.hasGroups()) {
        checkGroups(configuration, result);
        checkBridges(configuration, result, options.strict);
    }
    if (options.strict) checkFloatReadings(configuration, result);
}

void applySemanticRules(const std::string& schemaId, JsonView document, ValidationResult& result,
                        const ValidateOptions& options) {
    applySemanticRules(Configuration(schemaId, document), result, options);
}

void checkBridgingDocument(JsonView serverSettings, JsonView bridgingDocument,
                           ValidationResult& result) {
    applySemanticRules(Configuration::ofPair(serverSettings, bridgingDocument), result);
}

}  // namespace OrvexConfigValidate
