// A strict JSON (RFC 8259) reader that builds the document and its text
// index in one pass, without recursion, so any nesting depth is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include "json/TextIndex.hpp"

namespace OrvexConfigValidate {

class WrittenNumbers;
struct UnescapedStrings;

// What the reader makes of a number token it accepted: unsigned when
// non-negative and it fits, else signed when it fits, else the double
// (which may be infinite: the reader refuses those tokens).
struct NumberValue {
    enum class Type : std::uint8_t { Unsigned, Signed, Double };
    Type type = Type::Unsigned;
    std::uint64_t unsignedValue = 0;
    std::int64_t signedValue = 0;
    double doubleValue = 0;
};
NumberValue numberValue(std::string_view token);
// The double nearest a number token.
double doubleOf(std::string_view token);

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

// The same reading, issues and index without building a document: only
// the strings and names that hold escapes are kept, unescaped, in
// `strings`, for a LeanDocument over the text and the index.
bool readJsonLean(std::string_view text, TextIndex& index, UnescapedStrings& strings,
                  std::vector<Issue>& issues, const ReadProgress& progress);

}  // namespace OrvexConfigValidate
