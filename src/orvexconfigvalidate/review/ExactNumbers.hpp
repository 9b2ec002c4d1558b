// Numbers that no double holds (2^64 + 1, 0.1000000000000000000001), as a
// comparison carries them: in a copy of the document, each is a binary
// value of kWrittenNumberSubtype holding its written text, which
// JsonWriter writes back as that number. Compared by their decimals, so
// that 18446744073709551616 and 18446744073709551617 differ.
#pragma once

#include <optional>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include "json/Decimal.hpp"

namespace OrvexConfigValidate {

// A copy of the parsed document with its written numbers carried exactly,
// or nothing when its text wrote none (the document itself serves then).
std::optional<nlohmann::json> exactDocument(const Document& parsed);

// Whether the value is a number carried as written.
bool isWrittenNumber(const nlohmann::json& value);

// Both numbers that a double held or that are carried as written, equal by
// their decimals; false when either is not such a number.
bool sameFloat(const nlohmann::json& a, const nlohmann::json& b);

}  // namespace OrvexConfigValidate
