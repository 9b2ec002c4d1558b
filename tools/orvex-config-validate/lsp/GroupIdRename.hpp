// Renaming a group id: its definitions and every bridge entry that names
// it, or the reason the rename cannot be made.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Documents.hpp"

namespace OrvexConfigValidate::Lsp {

// Longer than any id a person gives a group; a longer new id is refused.
constexpr std::size_t kLongestNewGroupId = 1024;

// One document's edits: every place becomes the same text, which is held
// once however many places there are.
struct RenameEdits {
    std::string uri;
    std::string newText;               // the new id as a JSON string
    std::vector<TextLocation> places;  // each string literal, quotes included
};

struct GroupIdRename {
    std::string refusal;  // why the rename is not made; "" when it is
    std::vector<RenameEdits> changes;
};

// Refuses a new id that is too long, empty or defined already, and an
// offset on no group id. Renaming an id to itself edits nothing.
GroupIdRename renameGroupId(const Document& document, std::size_t offset, const std::string& newId);

}  // namespace OrvexConfigValidate::Lsp
