// Where a site issue sits in its text, and the fix a rule's pinned value
// gives.
#pragma once

#include <orvexconfigvalidate/SiteRules.hpp>

namespace OrvexConfigValidate {

// Places the issue in the text of its source, when the input has it; with a
// suggestion (the JSON text of the one value its rule pins) and a value
// present at its pointer, adds the fix that writes the suggestion over it.
void placeSiteIssue(Issue& issue, const SiteRuleInput& input);

}  // namespace OrvexConfigValidate
