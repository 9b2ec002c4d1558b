// References, highlights and renames of a group id.
#pragma once

#include <nlohmann/json.hpp>

#include "Features.hpp"

namespace OrvexConfigValidate::Lsp {

nlohmann::json references(const FeatureContext& context);
nlohmann::json documentHighlight(const FeatureContext& context);
nlohmann::json prepareRename(const FeatureContext& context);
// Refuses (RequestError) a new id that is empty or defined already.
nlohmann::json rename(const FeatureContext& context);

}  // namespace OrvexConfigValidate::Lsp
