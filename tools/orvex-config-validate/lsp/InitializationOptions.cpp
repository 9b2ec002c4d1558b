#include "InitializationOptions.hpp"

#include <algorithm>

namespace OrvexConfigValidate::Lsp {

CheckSettings readCheckSettings(const nlohmann::json& initializationOptions,
                                std::vector<std::string>& warnings) {
    CheckSettings settings;
    if (!initializationOptions.is_object()) return settings;
    const std::vector<std::string> known = schemaIds();
    const auto schemas = initializationOptions.find("schemas");
    if (schemas != initializationOptions.end()) {
        if (!schemas->is_object()) {
            warnings.push_back("initializationOptions.schemas must be an object");
        } else {
            for (const auto& [key, id] : schemas->items()) {
                if (!id.is_string() ||
                    std::find(known.begin(), known.end(), id.get<std::string>()) == known.end()) {
                    warnings.push_back("initializationOptions.schemas: '" + key +
                                       "' names no known schema id");
                    continue;
                }
                settings.schemaChoices.emplace_back(key, id.get<std::string>());
            }
        }
    }
    const auto schemaDir = initializationOptions.find("schemaDir");
    if (schemaDir != initializationOptions.end()) {
        if (schemaDir->is_string()) {
            settings.options.schemaDir = schemaDir->get<std::string>();
        } else {
            warnings.push_back("initializationOptions.schemaDir must be a string");
        }
    }
    const auto strict = initializationOptions.find("strict");
    if (strict != initializationOptions.end()) {
        if (strict->is_boolean()) {
            settings.options.strict = strict->get<bool>();
        } else {
            warnings.push_back("initializationOptions.strict must be true or false");
        }
    }
    return settings;
}

}  // namespace OrvexConfigValidate::Lsp
