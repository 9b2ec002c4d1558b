// Edits of a JSON text that keep it JSON and keep every other byte: a value
// replaced, a member renamed, removed or added, found through the places
// the reader noted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/JsonWriter.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include "json/TextIndex.hpp"

namespace OrvexConfigValidate {

// A member to add: its name and the JSON text of its value.
using NewMember = std::pair<std::string, std::string>;

class ObjectEdits {
  public:
    ObjectEdits(std::string_view text, const TextIndex& index) : text_(text), index_(index) {}

    // The node of the value whose text starts at offset.
    std::optional<std::uint32_t> nodeStartingAt(std::size_t offset) const;
    // The node of the member whose name starts at offset.
    std::optional<std::uint32_t> memberWithKeyAt(std::size_t offset) const;
    // The node of the member `name` in force in `object` (the value of node
    // objectNode).
    std::optional<std::uint32_t> memberOf(std::uint32_t objectNode, JsonView object,
                                          const std::string& name) const;

    TextEdit replaceValue(std::uint32_t node, std::string newText) const;
    std::optional<TextEdit> renameMember(std::uint32_t node, const std::string& name) const;
    // Removes the member and what separates it from the member after it;
    // nothing when no member follows in the same object.
    std::optional<TextEdit> removeMember(std::uint32_t node) const;
    // Adds the members after the last one, laid out as it is; into an empty
    // object, on one line.
    TextEdit addMembers(std::uint32_t objectNode, const std::vector<NewMember>& members) const;

  private:
    std::vector<std::uint32_t> children(std::uint32_t node) const;
    std::size_t keyEnd(std::uint32_t node) const;

    std::string_view text_;
    const TextIndex& index_;
};

}  // namespace OrvexConfigValidate
