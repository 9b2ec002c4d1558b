// Finds the text place of values named by JSON pointers, walking the
// document and the text index side by side.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include "json/TextIndex.hpp"

namespace OrvexConfigValidate {

class LeanDocument;

using JsonMember = nlohmann::json::object_t::value_type;

class Locator {
  public:
    // With `remember`, the children of every large container it passes
    // through are tabled once, so that locating many issues costs one look
    // at each container plus a few steps per issue; without, nothing is kept
    // and each call walks siblings.
    Locator(const TextIndex& index, const nlohmann::json& document, bool remember)
        : index_(index), document_(&document), remember_(remember) {}
    // Over a lean document, whose own child tables answer every step.
    explicit Locator(const LeanDocument& lean);

    // The place of the value the pointer names; for an absent member or
    // element, that of the nearest enclosing value (the root for a text that
    // is no pointer). Unknown when the index is empty.
    TextLocation locate(std::string_view pointer);

    // The pointer of the innermost value, or member name, holding the byte.
    std::string pointerAt(std::size_t offset) const;

  private:
    using Members = nlohmann::json::object_t;

    std::uint32_t elementNode(std::uint32_t container, std::size_t position, std::size_t size);
    std::uint32_t memberNode(std::uint32_t container, const Members& members,
                             Members::const_iterator member);
    const std::vector<std::uint32_t>& childrenOf(std::uint32_t container);
    TextLocation locateLean(std::string_view pointer) const;
    std::string pointerAtLean(std::size_t offset) const;
    // The child of `node` holding the byte, and its ordinal; kNone if none.
    std::uint32_t innerAt(std::uint32_t node, std::size_t offset, std::uint32_t& ordinal) const;

    static constexpr std::uint32_t kNone = UINT32_MAX;

    const TextIndex& index_;
    const nlohmann::json* document_ = nullptr;
    const LeanDocument* lean_ = nullptr;
    bool remember_ = false;
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> children_;
    std::unordered_map<std::uint32_t, std::unordered_map<const JsonMember*, std::uint32_t>>
        members_;
};

}  // namespace OrvexConfigValidate
