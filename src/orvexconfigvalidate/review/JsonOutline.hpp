// The shape of a JSON text that is known to parse: every value's span and,
// for a member, its key's span, as a tree of node indexes. Read in one pass
// without recursion, so any nesting depth is read; the formatter lays the
// text out again from it, copying keys and scalars byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace OrvexConfigValidate {

struct OutlineNode {
    static constexpr std::uint32_t kNone = UINT32_MAX;
    char kind = 0;  // '{', '[' or 's' for a scalar
    // Offsets fit: texts of 2 GiB and more never parse.
    std::uint32_t begin = 0;  // a scalar's text
    std::uint32_t end = 0;
    std::uint32_t keyBegin = 0;  // a member's key, quotes included
    std::uint32_t keyEnd = 0;
    std::uint32_t firstChild = kNone;
    std::uint32_t next = kNone;
};

struct JsonOutline {
    std::vector<OutlineNode> nodes;  // nodes[0] is the root
    std::size_t valueEnd = 0;        // where the root value's text ends
};

// The text must be one JSON value (parseText said so), a byte-order mark
// allowed before it.
JsonOutline outlineJson(std::string_view text);

}  // namespace OrvexConfigValidate
