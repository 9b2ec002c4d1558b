// Turning valijson's flat error list into violations. No valijson header is
// needed here; this file only knows the shape and wording of its reports.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate::baseline {

struct ValidatorReport {
    // "<root>", then "[index]" or "[key]" per step into the document.
    std::vector<std::string> context;
    std::string message;
};

// The reports that are violations, in their original order. valijson adds an
// enclosing line at every level above a failure ("Failed to validate item #0
// in array.", "... property name 'x'.", "... child schema #1." ...); such a
// line is dropped when a failure below it was reported, and kept when it is
// the only trace of its failure (a `false` subschema reports nothing itself).
// A failed anyOf, oneOf or if-then-else is itself the violation: the reports
// of its branches are dropped.
std::vector<ValidatorReport> selectViolations(const std::vector<ValidatorReport>& reports);

// The JSON pointer of the value that a context names, found by walking the
// document: at each step the type of the current node decides between array
// index and object key. `value` receives the value, or null when the walk
// leaves the document.
nlohmann::json::json_pointer pointerForContext(const nlohmann::json& document,
                                               const std::vector<std::string>& context,
                                               const nlohmann::json** value);

}  // namespace OrvexConfigValidate::baseline
