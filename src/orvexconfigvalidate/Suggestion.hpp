// Close-name suggestions for typing mistakes ("did you mean ...?").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace OrvexConfigValidate {

// Levenshtein distance of a and b, or limit + 1 when it exceeds limit.
std::size_t editDistance(std::string_view a, std::string_view b, std::size_t limit);

// Equal but for ASCII letter case.
bool equalIgnoringCase(std::string_view a, std::string_view b);

// The candidate that name was most likely meant to be: one equal to it but
// for letter case, else the nearest within two edits; the first such one in
// candidate order, and never more edits than the name has characters
// ("x" is no typo of "g1"). Empty when none is close, or when name itself is one of
// the candidates.
std::string closestName(std::string_view name, const std::vector<std::string_view>& candidates);

// closestName when no other candidate is as close (a tie leaves nothing to
// pick without asking); empty otherwise.
std::string onlyClosestName(std::string_view name, const std::vector<std::string_view>& candidates);

// The hint text for a suggestion: did you mean "<name>"?
std::string didYouMean(std::string_view name);

}  // namespace OrvexConfigValidate
