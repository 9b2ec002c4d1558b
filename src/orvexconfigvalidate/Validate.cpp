#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "DefaultValidator.hpp"

namespace OrvexConfigValidate {

ValidationResult validate(const std::string& schemaId, const nlohmann::json& document,
                          const ValidateOptions& options) {
    return validateWithDefaultValidator(schemaId, document, options);
}

}  // namespace OrvexConfigValidate
