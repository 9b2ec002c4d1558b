// Parsing of message bodies. A full-text change carries the whole document
// as one JSON string; the general parser takes far longer over megabytes of
// string than the rest of a change costs, so long strings are decoded on a
// fast path and the small remainder goes through the general parser.
#pragma once

#include <cstddef>
#include <string_view>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate::Lsp {

// Same result as nlohmann::json::parse(body): the value, or a thrown
// nlohmann::json::parse_error for a body that is not JSON.
nlohmann::json parseMessage(std::string_view body);

// Bodies and strings below these sizes take the general parser only.
constexpr std::size_t kFastPathBody = 64 * 1024;
constexpr std::size_t kFastPathString = 4 * 1024;

}  // namespace OrvexConfigValidate::Lsp
