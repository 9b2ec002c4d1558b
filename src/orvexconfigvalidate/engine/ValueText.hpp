// Values and names as they appear in messages: short, on one line, with
// control characters escaped.
#pragma once

#include <cstddef>
#include <string>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

// Longest text, in code points, before a value is cut with "…".
constexpr std::size_t kShortTextLimit = 40;

// The value as compact JSON, cut after about `limit` code points. Never
// walks more of the value than it writes.
std::string shortValueText(const nlohmann::json& value, std::size_t limit = kShortTextLimit);

// A string as a quoted JSON string, cut like a value.
std::string quotedText(const std::string& text, std::size_t limit = kShortTextLimit);

// "string", "integer", "number", "object", ...
std::string jsonTypeName(const nlohmann::json& value);

}  // namespace OrvexConfigValidate
