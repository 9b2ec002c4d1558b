// Suggestions for a member name that the schema does not know.
#pragma once

#include <string>
#include <vector>

namespace OrvexConfigValidate {

class WorkBudget;

// The declared name closest to `name`: equal but for case, or at most two
// edits away; "" when none is that close. Ties go to the first candidate.
// Each comparison is charged to `work` as the product of the lengths it
// may compare.
std::string closestMemberName(const std::string& name,
                              const std::vector<const std::string*>& candidates, WorkBudget& work);

// `best` (what closestMemberName found) when no other candidate is as
// close; "" on a tie. Charged as closestMemberName is.
std::string onlyClosestMemberName(const std::string& name, const std::string& best,
                                  const std::vector<const std::string*>& candidates,
                                  WorkBudget& work);

}  // namespace OrvexConfigValidate
