#pragma once

#include <functional>
#include <string>
#include <string_view>

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

// Checks one text, as it stands or as changed.
using CheckText = std::function<ValidationResult(std::string_view text)>;

// Applies the safe fixes of `before` (a check of `text`, which is its
// `source`) and checks the result again: aborts when it holds an issue
// (by source, code, pointer and severity) that was not there before, or
// an ok verdict turned bad. A safe fix only ever takes an issue away.
void checkSafeFixesAddNoIssue(std::string_view text, const ValidationResult& before, int source,
                              const CheckText& check);

}  // namespace OrvexConfigValidate
