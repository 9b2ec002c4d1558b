// JSON pointer texts (RFC 6901) and the pointers of nodes of a text index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/TextIndex.hpp"

namespace OrvexConfigValidate {

// "~" and "/" escaped as "~0" and "~1".
std::string escapePointerToken(std::string_view token);

// The unescaped reference tokens; nullopt for a text that is no pointer
// (not starting with "/", or a "~" not followed by 0 or 1).
std::optional<std::vector<std::string>> splitPointer(std::string_view pointer);

// The array index a token stands for: digits without a leading zero.
std::optional<std::size_t> arrayIndexOf(std::string_view token);

// The pointer of each node, for node numbers in ascending order, found in
// one walk that skips every subtree holding none of them.
std::vector<std::string> pointersOfNodes(const TextIndex& index,
                                         const std::vector<std::uint32_t>& nodes);

}  // namespace OrvexConfigValidate
