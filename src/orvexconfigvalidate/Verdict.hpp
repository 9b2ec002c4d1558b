#pragma once

#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// Final verdict of a call: errors always fail; warnings and notes fail only
// when the caller asked for it. Severities are never changed.
void applyVerdict(ValidationResult& result, const ValidateOptions& options);

}  // namespace OrvexConfigValidate
