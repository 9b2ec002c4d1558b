// Values and names as they appear in messages: short, on one line, with
// control characters escaped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <orvexconfigvalidate/JsonView.hpp>

namespace OrvexConfigValidate {

// Longest text, in code points, before a value is cut with "…".
constexpr std::size_t kShortTextLimit = 40;

// The value as compact JSON, cut after about `limit` code points. Never
// walks more of the value than it writes.
std::string shortValueText(JsonView value, std::size_t limit = kShortTextLimit);

// A string as a quoted JSON string, cut like a value.
std::string quotedText(std::string_view text, std::size_t limit = kShortTextLimit);

// "string", "integer", "number", "object", ...
std::string jsonTypeName(JsonView value);

}  // namespace OrvexConfigValidate
