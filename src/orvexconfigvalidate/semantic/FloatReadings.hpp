// With --strict: the integer members the rules read, written as a float.
// The schemas count 2.0 as an integer, the server does not: it reads the
// member as mistyped and runs with the default, which an operator who wrote
// 2.0 does not expect.
#pragma once

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// Adds an "integral_float" warning for the server "mode", each group's
// "type" and its "bridgeTargetOutputDetail" "mode" written as an integral
// float.
void checkFloatReadings(const Configuration& configuration, ValidationResult& result);

}  // namespace OrvexConfigValidate
