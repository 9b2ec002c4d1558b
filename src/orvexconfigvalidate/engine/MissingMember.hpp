// The value a missing required member would take when the schema leaves
// exactly one choice.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace OrvexConfigValidate {

struct SchemaNode;

// The member as a name and its value's JSON text when the object's schema
// declares it with a "default", a "const" or a one-value "enum"; nothing
// otherwise.
std::vector<std::pair<std::string, std::string>> missingMemberFill(const SchemaNode& object,
                                                                   const std::string& name);

}  // namespace OrvexConfigValidate
