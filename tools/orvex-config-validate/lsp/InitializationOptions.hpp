// The editor's initialization options, read into the check's settings.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Checker.hpp"

namespace OrvexConfigValidate::Lsp {

// Reads the initialization options {"schemas": {KEY: ID}, "schemaDir": DIR,
// "strict": BOOL}; what cannot be used is named in warnings.
CheckSettings readCheckSettings(const nlohmann::json& initializationOptions,
                                std::vector<std::string>& warnings);

}  // namespace OrvexConfigValidate::Lsp
