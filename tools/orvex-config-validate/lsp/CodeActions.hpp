// Quick fixes: the fixes of the diagnostics under a range, as edits of
// the document.
#pragma once

#include <nlohmann/json.hpp>

#include "Features.hpp"

namespace OrvexConfigValidate::Lsp {

nlohmann::json codeActions(const FeatureContext& context);

}  // namespace OrvexConfigValidate::Lsp
