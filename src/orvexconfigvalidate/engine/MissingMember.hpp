// The value a missing required member would take when the schema leaves
// exactly one choice.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

struct SchemaNode;

// {"<name>": value} when the object's schema declares the member with a
// "default", a "const" or a one-value "enum"; null otherwise.
nlohmann::json missingMemberFill(const SchemaNode& object, const std::string& name);

}  // namespace OrvexConfigValidate
