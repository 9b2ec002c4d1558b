// Source positions in JSON text. The JSON library keeps none, so the text is
// scanned again to find where a value starts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace OrvexConfigValidate::Tool {

// 1-based; the column counts bytes. A UTF-8 byte-order mark is not part of
// the first line, as editors do not show it.
struct TextPosition {
    std::size_t line = 1;
    std::size_t column = 1;
};

inline bool operator==(const TextPosition& a, const TextPosition& b) {
    return a.line == b.line && a.column == b.column;
}

struct LocatedValue {
    TextPosition position;
    // False when a member or element named by the path is absent: the
    // position is then that of the nearest enclosing value that exists.
    bool exact = true;
};

// Position of the byte at offset (clamped to the end of the text).
TextPosition positionAtOffset(std::string_view text, std::size_t offset);

// Where the value named by the reference tokens (unescaped JSON pointer
// tokens) starts. The text is expected to be one valid JSON document; of
// duplicate keys the last counts, as when the document was parsed.
LocatedValue locateValue(std::string_view text, const std::vector<std::string>& tokens);

}  // namespace OrvexConfigValidate::Tool
