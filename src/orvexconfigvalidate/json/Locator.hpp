// Finds the text place of values named by JSON pointers, and the pointer
// of a text place, through a document's own child tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

class LeanDocument;

class Locator {
  public:
    // Null for a text that did not parse: nothing is located.
    explicit Locator(const LeanDocument* document) : document_(document) {}
    explicit Locator(const LeanDocument& document) : document_(&document) {}

    // The place of the value the pointer names; for an absent member or
    // element, that of the nearest enclosing value (the root for a text that
    // is no pointer). Unknown without a document.
    TextLocation locate(std::string_view pointer) const;

    // The pointer of the innermost value, or member name, holding the byte.
    std::string pointerAt(std::size_t offset) const;

  private:
    // The child of `node` holding the byte, and its ordinal; kNone if none.
    std::uint32_t innerAt(std::uint32_t node, std::size_t offset, std::uint32_t& ordinal) const;

    static constexpr std::uint32_t kNone = UINT32_MAX;

    const LeanDocument* document_;
};

}  // namespace OrvexConfigValidate
