// JSON equality as JSON Schema defines it (1 equals 1.0, member order does
// not matter), without recursion so that deeply nested values are safe.
// Either side may be a schema's value or a document's.
#pragma once

#include <cstddef>

#include <orvexconfigvalidate/JsonView.hpp>

namespace OrvexConfigValidate {

class WorkBudget;

// Charges `work` (when given) one unit per pair of values compared and for
// the bytes of strings compared.
bool jsonEqual(JsonView a, JsonView b, WorkBudget* work = nullptr);

// Equal values have equal hashes. Only the first few values of a deep or
// large value are hashed, so the cost per value is bounded: values that
// differ only further in share a hash, and equality tells them apart.
std::size_t jsonHash(JsonView value, WorkBudget* work = nullptr);

}  // namespace OrvexConfigValidate
