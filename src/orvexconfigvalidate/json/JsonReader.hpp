// A strict JSON (RFC 8259) reader that builds the document and its text
// index in one pass, without recursion, so any nesting depth is read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include "json/TextIndex.hpp"

namespace OrvexConfigValidate {

class WrittenNumbers;

// Reads exactly one value from text; a UTF-8 byte-order mark before it is
// skipped. Numbers become what nlohmann::json::parse makes of them (unsigned
// when non-negative and it fits, else signed, else double). A member written
// twice keeps the later value and adds a "duplicate_key" warning. Returns
// false on the first syntax error, after adding one "parse_error" issue.
// `progress`, when set, hears now and then how many leading bytes are done.
// The message of a "duplicate_key" warning: the member's name and the line
// of its first occurrence.
std::string duplicateKeyMessage(std::string_view name, std::size_t firstLine);

// `writtenNumbers`, when set, gets the numbers whose double is not the
// number written.
bool readJson(std::string_view text, nlohmann::json& document, TextIndex& index,
              std::vector<Issue>& issues, const ReadProgress& progress,
              WrittenNumbers* writtenNumbers = nullptr);

}  // namespace OrvexConfigValidate
