// Where a group id is written in a document that parses: the groups that
// define it and the bridge entries that name it, through the model.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate::Lsp {

struct GroupIdSite {
    TextLocation location;  // the string literal, quotes included
    bool definition = false;
};

// The id written at the offset: a group's "id" or an entry of a bridge's
// "groups"; "" when the offset is on neither.
struct GroupIdAt {
    std::string id;
    TextLocation location;
};
std::optional<GroupIdAt> groupIdAt(const Configuration& configuration, const ParsedText& parsed,
                                   std::size_t offset);

// Definitions and references in document order of groups, then bridges.
std::vector<GroupIdSite> groupIdSites(const Configuration& configuration, const ParsedText& parsed,
                                      std::string_view id);

}  // namespace OrvexConfigValidate::Lsp
