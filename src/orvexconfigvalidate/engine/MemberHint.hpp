// Suggestions for a member name that the schema does not know.
#pragma once

#include <string>
#include <vector>

namespace OrvexConfigValidate {

// The declared name closest to `name`: equal but for case, or at most two
// edits away; "" when none is that close. Ties go to the first candidate.
std::string closestMemberName(const std::string& name,
                              const std::vector<const std::string*>& candidates);

}  // namespace OrvexConfigValidate
