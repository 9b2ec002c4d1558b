// JSON equality as JSON Schema defines it (1 equals 1.0, member order does
// not matter), without recursion so that deeply nested values are safe.
#pragma once

#include <cstddef>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

bool jsonEqual(const nlohmann::json& a, const nlohmann::json& b);

// Equal values have equal hashes.
std::size_t jsonHash(const nlohmann::json& value);

}  // namespace OrvexConfigValidate
