// How the semantic rules read members of a document that may break its
// schema: an absent or mistyped member reads as its default, never throws.
#pragma once

#include <cstdint>
#include <string_view>

#include <orvexconfigvalidate/JsonView.hpp>

namespace OrvexConfigValidate {

// The member `key` of a nlohmann object value; nullptr when the value is
// not an object or lacks the key. Never inserts. (A view's member() is the
// same for any document.)
const nlohmann::json* findMember(const nlohmann::json& value, std::string_view key);

// An integral number member (2.0 counts) truncated to its low 32 bits;
// `fallback` for anything else.
std::int32_t getIntOr(JsonView value, std::string_view key, std::int32_t fallback);

// A string member's text, else empty. The view points into the document.
std::string_view readString(JsonView value, std::string_view key);

// The "id" member when it is a string, else empty. The view points into the
// document and lives as long as it does.
std::string_view readId(JsonView value);

// False only for a bridge whose "enabled" is the boolean false.
bool isBridgeEnabled(JsonView bridge);

// Member present as an array (or object) with at least one element.
bool hasNonEmptyArray(JsonView value, std::string_view key);
bool hasNonEmptyObject(JsonView value, std::string_view key);

}  // namespace OrvexConfigValidate
