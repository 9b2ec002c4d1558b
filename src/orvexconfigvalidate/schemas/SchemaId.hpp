#pragma once

#include <string>

namespace OrvexConfigValidate {

// The schema id that a reference text or URI names: its last path segment
// without fragment, query, trailing whitespace and one ".schema.json" or
// ".json" suffix. Never fails; the result may be empty.
std::string normalizeSchemaId(const std::string& text);

}  // namespace OrvexConfigValidate
