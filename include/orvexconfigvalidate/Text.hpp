// What the library takes a text to be: lines, places in it, UTF-8
// sequences, the byte-order mark and hexadecimal digits. Every reader,
// report and the language server count the same way through these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace OrvexConfigValidate {

// Where an issue sits in a JSON text; filled by validateText and parseText.
struct TextLocation {
    std::size_t line = 0;    // 1-based; 0 when the issue has no place in a text
    std::size_t column = 0;  // 1-based, counted in bytes (a leading BOM not counted)
    std::size_t offset = 0;  // byte offset of the value's (or key's) first byte
    std::size_t length = 0;  // bytes of the value's text
    bool known() const { return line != 0; }
};

// Lines end at "\n", "\r\n" or a lone "\r", in the library's positions,
// every report and the language server alike.
// The length of the line break at offset (1 or 2), or 0 when none starts there.
inline std::size_t lineBreakAt(std::string_view text, std::size_t offset) {
    if (offset >= text.size()) return 0;
    if (text[offset] == '\n') return 1;
    if (text[offset] != '\r') return 0;
    return offset + 1 < text.size() && text[offset + 1] == '\n' ? 2 : 1;
}

class LineTable {
  public:
    explicit LineTable(std::string_view text);
    std::size_t lineCount() const { return starts_.size(); }
    // 0-based line of a byte offset (an offset past the end: the last line).
    std::size_t lineOf(std::size_t offset) const;
    std::size_t lineStart(std::size_t line) const;
    // Where the line's text ends, before its line break.
    std::size_t lineEnd(std::size_t line) const;

  private:
    std::string_view text_;
    std::vector<std::size_t> starts_;
};

// A UTF-8 byte-order mark: skipped before a JSON text, and no part of the
// first line's columns.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

inline bool startsWithByteOrderMark(std::string_view text) {
    return text.substr(0, kByteOrderMark.size()) == kByteOrderMark;
}

// The value of a hexadecimal digit (either case), or -1 for another byte.
int hexDigitValue(char c);

// Writes the UTF-8 form of a code point (at most U+10FFFF) at `out` and
// returns its length, 1 to 4 bytes.
std::size_t encodeUtf8(std::uint32_t codePoint, char* out);

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

// Whether the text may be cut before byte `at` (at <= text.size()): not
// inside a character of valid shape (Utf8Check::Shape) nor inside a "\r\n",
// which editors count as one position each.
bool canCutAt(std::string_view text, std::size_t at);

}  // namespace OrvexConfigValidate
