// The protocol's answers to the requests about one open document, written
// from the features' results.
#pragma once

#include <cstddef>

#include <nlohmann/json.hpp>

#include "Features.hpp"

namespace OrvexConfigValidate::Lsp {

// Written as text: at 10,000 groups the answer is some megabytes.
Result documentSymbols(const FeatureContext& context);
nlohmann::json codeLenses(const FeatureContext& context);

// References, highlights and renames of a group id.
nlohmann::json references(const FeatureContext& context);
nlohmann::json documentHighlight(const FeatureContext& context);
nlohmann::json prepareRename(const FeatureContext& context);
// A rename's answer grows with the references times the new id: one that
// would outgrow this is refused rather than built.
constexpr std::size_t kLargestRenameAnswer = std::size_t{64} << 20;

// Fails (RequestError) with the reason a rename is refused, and when its
// answer would be too large.
Result rename(const FeatureContext& context);

}  // namespace OrvexConfigValidate::Lsp
