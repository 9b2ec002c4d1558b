// Completion driven by the schema at the cursor and by the group ids the
// document defines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Documents.hpp"

namespace OrvexConfigValidate::Lsp {

// At most this many group ids per answer; the answer then says it is
// incomplete, and the editor asks again as more is typed.
inline constexpr std::size_t kMaxGroupIdItems = 200;

struct CompletionItem {
    enum Kind { Member, EnumValue, Keyword, GroupId };
    std::string label;
    Kind kind = Member;
    std::string detail;         // "" for none
    std::string documentation;  // "" for none
    bool documentationMarkdown = false;
    std::string sortText;  // "" for the label
    std::optional<std::string> filterText;
    // The bytes the item replaces, and its text.
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string newText;
};

struct Completions {
    std::vector<CompletionItem> items;
    bool incomplete = false;
};

// Read from the text up to the cursor and from the document's last text
// that parsed (the one being typed rarely does): member names not yet
// present (required ones first), enum values, true/false, and the group ids
// in a bridge's "groups" that start with what is typed.
Completions completionsAt(const Document& document, std::size_t offset, const Validator& validator);

}  // namespace OrvexConfigValidate::Lsp
