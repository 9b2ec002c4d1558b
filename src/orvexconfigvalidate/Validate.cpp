#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include "DefaultValidator.hpp"

namespace OrvexConfigValidate {

ValidationResult validate(const std::string& schemaId, const nlohmann::json& document,
                          const ValidateOptions& options) {
    return defaultValidator().validate(schemaId, document, options);
}

ValidationResult validateText(const std::string& schemaId, const Document& parsed,
                              const ValidateOptions& options) {
    return defaultValidator().validateText(schemaId, parsed, options);
}

ValidationResult validateTextPair(const Document& server, const Document& bridges,
                                  const ValidateOptions& options) {
    return defaultValidator().validateTextPair(server, bridges, options);
}

ValidationResult validateText(const std::string& schemaId, std::string_view text,
                              const ValidateOptions& options) {
    return defaultValidator().validateText(schemaId, text, options);
}

ValidationResult validateTextPair(std::string_view serverText, std::string_view bridgesText,
                                  const ValidateOptions& options) {
    return defaultValidator().validateTextPair(serverText, bridgesText, options);
}

Deployment checkDeployment(const std::string& serverFile, const DeploymentOptions& options) {
    return checkDeployment(defaultValidator(), serverFile, options);
}

}  // namespace OrvexConfigValidate
