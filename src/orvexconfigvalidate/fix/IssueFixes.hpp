// The fixes the library knows for its issues, made from the text the issue
// was found in.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/Validation.hpp>

#include "json/Locator.hpp"
#include "json/TextIndex.hpp"

namespace OrvexConfigValidate {

// A parsed text: the text, the places the reader noted, its document's
// root.
struct FixSite {
    std::string_view text;
    const TextIndex& index;
    JsonView document;
    const Locator& locator;
};

// The fixes of an issue whose place in the site's document is `pointer`;
// the edits are offsets into site.text.
std::vector<Fix> fixesFor(const Issue& issue, std::string_view pointer, FixSite& site);

// A member that a fix writes, by renaming into it or adding it: the
// pointer of its object and its name.
using WrittenMember = std::pair<std::string, std::string>;

// Every member that the fixes of the issue may write, whatever the text:
// two fixes that write one member would leave it twice.
std::vector<WrittenMember> membersWritten(const Issue& issue);

// Whether fixesFor may give anything for an issue of this code.
bool mayHaveFixes(const Issue& issue);

}  // namespace OrvexConfigValidate
