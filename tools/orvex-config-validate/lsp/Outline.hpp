// The outline of a document (its top-level sections, the groups and the
// bridges) and the count of referencing bridges shown over each group.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Documents.hpp"

namespace OrvexConfigValidate::Lsp {

struct OutlineSymbol {
    enum Kind { Object, Array, String, Number, Boolean, Null, Group, Bridge };
    std::string name;
    std::string detail;
    Kind kind = Null;
    TextLocation location;  // the value
};

// A top-level member, with the groups or bridges it holds.
struct OutlineSection {
    OutlineSymbol symbol;
    std::vector<OutlineSymbol> children;
};

// In the order of the text; empty for a text that does not read as an
// object of its schema.
std::vector<OutlineSection> outlineOf(const Document& document);

struct GroupLens {
    TextLocation location;  // the group
    std::size_t referencingBridges = 0;
};

std::vector<GroupLens> groupLenses(const Document& document);

}  // namespace OrvexConfigValidate::Lsp
