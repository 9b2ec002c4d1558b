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

#include "Documents.hpp"

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

// The places of one group id in an open document.
struct GroupIdPlaces {
    std::string uri;
    std::vector<GroupIdSite> sites;  // in the order of groupIdSites
};

// The group id at the offset of a document whose model was made.
std::optional<GroupIdAt> groupIdAt(const Document& document, std::size_t offset);
// Every place of the group id at the offset; its definitions only when
// asked for. Nothing when the offset is on no group id.
std::optional<GroupIdPlaces> groupIdPlacesAt(const Document& document, std::size_t offset,
                                             bool withDefinitions);

}  // namespace OrvexConfigValidate::Lsp
