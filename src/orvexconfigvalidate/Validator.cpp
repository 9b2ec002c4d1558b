#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate {

// Compiled schemas will live here; for now the schema stage keeps them.
struct Validator::State {};

Validator::Validator() : Validator(ValidatorOptions{}) {}

Validator::Validator(ValidatorOptions options)
    : validatorOptions(std::move(options)), state(std::make_shared<State>()) {}

ValidationResult Validator::validate(const std::string& schemaId, const nlohmann::json& document,
                                     const ValidateOptions& options) const {
    if (!options.schemaDir.empty() || validatorOptions.schemaDir.empty()) {
        return OrvexConfigValidate::validate(schemaId, document, options);
    }
    ValidateOptions withDirectory = options;
    withDirectory.schemaDir = validatorOptions.schemaDir;
    return OrvexConfigValidate::validate(schemaId, document, withDirectory);
}

}  // namespace OrvexConfigValidate
