// Exact arithmetic on JSON numbers whatever their storage: int64, uint64 or
// double. Converting all of them to double would make 2^63 + 1 equal 2^63.
#pragma once

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

// -1, 0 or 1 as a is less than, equal to or greater than b. Both must be
// numbers.
int compareNumbers(const nlohmann::json& a, const nlohmann::json& b);

// A number with zero fractional part (3.0 and 1e2 count).
bool isIntegralNumber(const nlohmann::json& value);

// Whether `value` is an integer multiple of `divisor` (> 0): exact when both
// are integral, within a small relative tolerance otherwise.
bool isMultipleOf(const nlohmann::json& value, const nlohmann::json& divisor);

}  // namespace OrvexConfigValidate
