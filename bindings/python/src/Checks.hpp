// The checks the module offers, on C++ values only: each runs without the
// GIL, so Python threads go on while a large file is judged.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include "Results.hpp"

namespace OrvexConfigValidate::Python {

PyResult checkText(const std::string& schemaId, const std::string& text,
                   const ValidateOptions& options);
PyResult checkPair(const std::string& serverText, const std::string& bridgesText,
                   const ValidateOptions& options);
PyResult checkValue(const std::string& schemaId, const nlohmann::json& document,
                    const ValidateOptions& options);
// Every deployment under an existing folder, as the tool checks a folder.
std::vector<PyDeployment> checkFolder(const std::string& folder, const ValidateOptions& options);

PyFixed fixText(const std::string& schemaId, const std::string& text,
                const ValidateOptions& options);
std::pair<PyFixed, PyFixed> fixPair(const std::string& serverText, const std::string& bridgesText,
                                    const ValidateOptions& options);

}  // namespace OrvexConfigValidate::Python
