// The server file's link to the bridges file it names.
#pragma once

#include <nlohmann/json.hpp>

#include "Features.hpp"

namespace OrvexConfigValidate::Lsp {

nlohmann::json documentLinks(const FeatureContext& context);

}  // namespace OrvexConfigValidate::Lsp
