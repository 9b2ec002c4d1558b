// The places of the values of one parsed JSON text: a flat pre-order array
// of 16-byte nodes, one per value. Offsets are 32-bit (texts under 2 GiB),
// and no node points into the document, so that the index stays small
// beside it and a changed document can never make it dangle.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <orvexconfigvalidate/JsonView.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

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
    // Object members: the member's place in its object's key order, which
    // is the order of nlohmann's (sorted) objects, so the rank names the
    // document's member. A replaced member has the rank of its name. An
    // object of a text under 2 GiB has fewer than 2^29 members (each takes
    // at least five bytes), which leaves three bits for the kind.
    std::uint32_t rank : 29;
    // The value's JsonKind, set as it is read: looking at a value then
    // reads neither its text nor, for a number, its digits again.
    std::uint32_t kindBits : 3;

    TextNode() : rank(0), kindBits(0) {}

    JsonKind kind() const { return static_cast<JsonKind>(kindBits); }
    void setKind(JsonKind kind) { kindBits = static_cast<std::uint8_t>(kind) & 7U; }

    bool hasKey() const { return (keyField & ~kShadowedBit) != kNoKey; }
    std::uint32_t keyStart() const { return keyField & ~kShadowedBit; }
    bool shadowed() const { return (keyField & kShadowedBit) != 0; }
    std::uint32_t spanStart() const { return hasKey() ? keyStart() : start; }
};

static_assert(kMaxTextSize / 5 + 1 < (std::size_t{1} << 29), "a rank fits its 29 bits");
static_assert(static_cast<unsigned>(JsonKind::Object) < 8, "a kind fits its 3 bits");
static_assert(sizeof(TextNode) == 16, "the index costs 16 bytes a value");

struct TextIndex {
    std::vector<TextNode> nodes;
    // Offset of the first byte of every line; the first line starts after a
    // byte-order mark.
    std::vector<std::uint32_t> lineStarts{0};

    // The node after the subtree of `node` (nodes.size() past the last).
    // Starts grow in pre-order and a subtree's starts lie before its end,
    // so this is the first node starting at or after that end: the very
    // next one for a scalar, a galloping search past a container's content.
    std::uint32_t after(std::uint32_t node) const {
        const std::uint32_t end = nodes[node].end;
        const auto count = static_cast<std::uint32_t>(nodes.size());
        std::uint32_t low = node + 1;
        if (low >= count || nodes[low].start >= end) return low;
        std::uint32_t step = 1;
        while (low + step < count && nodes[low + step].start < end) {
            low += step;
            step *= 2;
        }
        const auto first = nodes.begin() + low + 1;
        const auto last = nodes.begin() + std::min(count, low + step);
        return static_cast<std::uint32_t>(
            std::partition_point(first, last, [end](const TextNode& n) { return n.start < end; }) -
            nodes.begin());
    }

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
