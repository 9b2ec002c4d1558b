// JSON pointer texts (RFC 6901).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Pointer.hpp>

namespace OrvexConfigValidate {

// "~" and "/" escaped as "~0" and "~1".
std::string escapePointerToken(std::string_view token);

// The unescaped reference tokens; nullopt for a text that is no pointer
// (not starting with "/", or a "~" not followed by 0 or 1).
std::optional<std::vector<std::string>> splitPointer(std::string_view pointer);

// The array index a token stands for: digits without a leading zero.
std::optional<std::size_t> arrayIndexOf(std::string_view token);

}  // namespace OrvexConfigValidate
