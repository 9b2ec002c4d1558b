// The places of the values of one parsed JSON text: a flat pre-order array
// of nodes, one per value, each knowing the size of its subtree, so that a
// subtree is skipped in one step. Offsets are 32-bit (texts under 2 GiB)
// to keep the index small beside the document.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate {

using JsonMember = nlohmann::json::object_t::value_type;

// The largest text the index can describe.
constexpr std::size_t kMaxTextSize = (std::size_t{1} << 31) - 1;

struct TextNode {
    static constexpr std::uint32_t kNoKey = 0x7FFFFFFF;
    static constexpr std::uint32_t kShadowedBit = 0x80000000;

    std::uint32_t start = 0;  // first byte of the value
    std::uint32_t end = 0;    // one past its last byte
    // First byte of the member name (the opening quote), kNoKey for
    // elements and the root; the top bit marks a member that a later one of
    // the same name replaced.
    std::uint32_t keyField = kNoKey;
    std::uint32_t size = 1;  // nodes in the subtree, this one included
    // The document's member this node became (object members only; null
    // inside a member that a later one replaced). The document's objects
    // own these; they stay put while it lives, moved or not.
    const JsonMember* member = nullptr;

    bool hasKey() const { return (keyField & ~kShadowedBit) != kNoKey; }
    std::uint32_t keyStart() const { return keyField & ~kShadowedBit; }
    bool shadowed() const { return (keyField & kShadowedBit) != 0; }
    std::uint32_t spanStart() const { return hasKey() ? keyStart() : start; }
};

struct TextIndex {
    std::vector<TextNode> nodes;
    // Offset of the first byte of every line; the first line starts after a
    // byte-order mark.
    std::vector<std::uint32_t> lineStarts{0};

    TextLocation at(std::size_t offset, std::size_t length) const {
        const auto next = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
        const auto line = static_cast<std::size_t>(next - lineStarts.begin());
        TextLocation location;
        location.line = line == 0 ? 1 : line;
        location.column = offset - (line == 0 ? lineStarts[0] : lineStarts[line - 1]) + 1;
        if (offset < lineStarts[0]) location.column = 1;
        location.offset = offset;
        location.length = length;
        return location;
    }
    TextLocation of(const TextNode& node) const { return at(node.start, node.end - node.start); }
    TextLocation keyOf(const TextNode& node) const {
        return at(node.keyStart(), node.end - node.keyStart());
    }
};

}  // namespace OrvexConfigValidate
