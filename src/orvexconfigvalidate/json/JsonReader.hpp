// A strict JSON (RFC 8259) reader that makes a text's index in one pass,
// without recursion, so any nesting depth is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Validation.hpp>

#include "json/TextIndex.hpp"

namespace OrvexConfigValidate {

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

// The message of a "duplicate_key" warning: the member's name and the line
// of its first occurrence.
std::string duplicateKeyMessage(std::string_view name, std::size_t firstLine);

// Reads exactly one value from text; a UTF-8 byte-order mark before it is
// skipped. Numbers are told apart as nlohmann::json::parse makes them
// (unsigned when non-negative and it fits, else signed, else double). A
// member written twice keeps the later value and adds a "duplicate_key"
// warning. Returns false on the first syntax error, after adding one
// "parse_error" issue.
// Only the strings and names that hold escapes are kept, unescaped, in
// `strings`, for a LeanDocument over the text and the index.
bool readJsonLean(std::string_view text, TextIndex& index, UnescapedStrings& strings,
                  std::vector<Issue>& issues);

}  // namespace OrvexConfigValidate
