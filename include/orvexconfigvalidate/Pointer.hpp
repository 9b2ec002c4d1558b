// RFC 6901 pointers into a JSON document: how a place is named in every
// issue, fix and editor answer.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Document.hpp>

namespace OrvexConfigValidate {

// The value an RFC 6901 pointer names in a document, or null.
const nlohmann::json* valueAt(const nlohmann::json& document, std::string_view pointer);
// The same through a view; absent when the pointer names nothing.
JsonView valueAt(JsonView document, std::string_view pointer);

// Appends "/" and the token escaped as RFC 6901 says ("~" as "~0", "/" as
// "~1"). A pointer built token by token costs its length; nlohmann's
// json_pointer::to_string copies its text once per token, quadratic in depth.
void appendPointerToken(std::string& pointer, std::string_view token);

}  // namespace OrvexConfigValidate
