#pragma once

#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate {

// Validates the document against every schema id (and an unknown one) with
// each combination of the two flags, and aborts on any broken invariant:
// an escaping exception, an issue without path or code, a severity outside
// 0..2, ok != !hasErrors() under default options, a warning that does not
// fail under failOnWarning (likewise notes under failOnInfo).
void checkAllInvariants(const nlohmann::json& document);

// Same checks for one schema id.
void checkInvariants(const std::string& schemaId, const nlohmann::json& document);

}  // namespace OrvexConfigValidate
