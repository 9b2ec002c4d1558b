// JSON equality as JSON Schema defines it (1 equals 1.0, member order does
// not matter), without recursion so that deeply nested values are safe.
#pragma once

#include <cstddef>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

class WorkBudget;

// Charges `work` (when given) one unit per pair of values compared and for
// the bytes of strings compared.
bool jsonEqual(const nlohmann::json& a, const nlohmann::json& b, WorkBudget* work = nullptr);

// Equal values have equal hashes. Only the first few values of a deep or
// large value are hashed, so the cost per value is bounded: values that
// differ only further in share a hash, and equality tells them apart.
std::size_t jsonHash(const nlohmann::json& value, WorkBudget* work = nullptr);

}  // namespace OrvexConfigValidate
