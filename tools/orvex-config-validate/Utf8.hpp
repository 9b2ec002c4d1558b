// The tool's one UTF-8 decoder: how many bytes the character at an offset
// takes, for the escaped report text, the language server's message parser
// and its UTF-16 positions.
#pragma once

#include <cstddef>
#include <string_view>

namespace OrvexConfigValidate::Tool {

enum class Utf8Check {
    // RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF.
    WellFormed,
    // Only a lead byte C2..F4 followed by as many continuation bytes as it
    // announces; editors count such sequences as one character.
    Shape,
};

// Bytes of the UTF-8 sequence at text[at] (at < text.size()): 1 for an ASCII
// byte, 0 when no sequence starts there or it is cut off by the end.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at,
                               Utf8Check check = Utf8Check::WellFormed);

// Where no well-formed sequence starts at text[at]: how many bytes one
// replacement character stands for, the lead byte and the continuation
// bytes that still fit it (at least 1).
std::size_t utf8InvalidLength(std::string_view text, std::size_t at);

}  // namespace OrvexConfigValidate::Tool
