// The fixes the library knows for its issues, made from the text the issue
// was found in.
#pragma once

#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "json/Locator.hpp"
#include "json/TextIndex.hpp"

namespace OrvexConfigValidate {

// A parsed text: the text, the places the reader noted, its document.
struct FixSite {
    std::string_view text;
    const TextIndex& index;
    const nlohmann::json& document;
    Locator& locator;
};

// The fixes of an issue whose place in the site's document is `pointer`;
// the edits are offsets into site.text.
std::vector<Fix> fixesFor(const Issue& issue, std::string_view pointer, FixSite& site);

// Whether fixesFor may give anything for an issue of this code.
bool mayHaveFixes(const Issue& issue);

}  // namespace OrvexConfigValidate
