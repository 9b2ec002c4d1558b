// The outline of a document (its top-level sections, the groups and the
// bridges) and the count of referencing bridges shown over each group.
#pragma once

#include <nlohmann/json.hpp>

#include "Features.hpp"

namespace OrvexConfigValidate::Lsp {

// Written as text: at 10,000 groups the answer is some megabytes.
Result documentSymbols(const FeatureContext& context);
nlohmann::json codeLenses(const FeatureContext& context);

}  // namespace OrvexConfigValidate::Lsp
