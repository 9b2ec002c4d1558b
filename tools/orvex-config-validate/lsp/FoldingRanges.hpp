// Folding of the objects and arrays that span lines.
#pragma once

#include <nlohmann/json.hpp>

#include "Features.hpp"

namespace OrvexConfigValidate::Lsp {

// One pass over the text with an explicit stack: a text nested a million
// deep costs its length, never the call stack. A text that does not parse
// folds what brackets it balances.
nlohmann::json foldingRanges(const FeatureContext& context);

}  // namespace OrvexConfigValidate::Lsp
