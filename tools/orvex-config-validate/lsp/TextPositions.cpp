#include "TextPositions.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "Utf8.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

// Bytes and UTF-16 units of the character at offset; an invalid or cut-off
// sequence is one byte and one unit.
struct Character {
    std::size_t bytes = 1;
    std::size_t units = 1;
};

Character characterAt(std::string_view text, std::size_t offset) {
    const std::size_t length = Tool::utf8SequenceLength(text, offset, Tool::Utf8Check::Shape);
    if (length <= 1) return {};
    return {length, length == 4 ? 2u : 1u};
}

bool isAscii(const char* from, const char* to) {
    std::uint64_t high = 0;
    for (; from + 8 <= to; from += 8) {
        std::uint64_t word;
        std::memcpy(&word, from, sizeof word);
        high |= word;
    }
    for (; from < to; ++from) high |= static_cast<unsigned char>(*from);
    return (high & 0x8080808080808080ULL) == 0;
}

}  // namespace

TextPositions::TextPositions(std::string_view text) : text(text) {
    // Line by line with memchr, and eight bytes at a time for the ASCII
    // test: a change of a large text builds this anew.
    lineStarts.push_back(0);
    if (text.empty()) {
        asciiLines.push_back(true);
        return;
    }
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* line = begin;
    while (true) {
        const void* newline = std::memchr(line, '\n', static_cast<std::size_t>(end - line));
        const char* lineEnd = newline != nullptr ? static_cast<const char*>(newline) : end;
        // A lone "\r" ends a line as well.
        const char* from = line;
        while (const void* found =
                   std::memchr(from, '\r', static_cast<std::size_t>(lineEnd - from))) {
            const char* cr = static_cast<const char*>(found);
            if (cr + 1 == lineEnd && newline != nullptr) break;  // "\r\n"
            asciiLines.push_back(isAscii(line, cr));
            line = cr + 1;
            lineStarts.push_back(static_cast<std::size_t>(line - begin));
            from = line;
        }
        asciiLines.push_back(isAscii(line, lineEnd));
        if (newline == nullptr) break;
        line = lineEnd + 1;
        lineStarts.push_back(static_cast<std::size_t>(line - begin));
    }
}

std::size_t TextPositions::lineEnd(std::size_t line) const {
    if (line + 1 >= lineStarts.size()) return text.size();
    std::size_t end = lineStarts[line + 1];
    // Step back over the line break ("\n", "\r\n" or "\r").
    if (end > lineStarts[line] && text[end - 1] == '\n') --end;
    if (end > lineStarts[line] && text[end - 1] == '\r') --end;
    return end;
}

Position TextPositions::positionOf(std::size_t offset) const {
    offset = std::min(offset, text.size());
    const auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    const auto line = static_cast<std::size_t>(after - lineStarts.begin()) - 1;
    Position position{line, 0};
    if (asciiLines[line]) {
        position.character = offset - lineStarts[line];
        return position;
    }
    std::size_t at = lineStarts[line];
    while (at < offset) {
        const Character c = characterAt(text, at);
        at += c.bytes;
        // An offset inside a character counts the whole character.
        position.character += c.units;
    }
    return position;
}

std::size_t TextPositions::offsetOf(const Position& position) const {
    if (position.line >= lineStarts.size()) return text.size();
    const std::size_t end = lineEnd(position.line);
    std::size_t at = lineStarts[position.line];
    if (asciiLines[position.line]) return std::min(end, at + position.character);
    std::size_t units = 0;
    while (at < end) {
        const Character c = characterAt(text, at);
        if (units + c.units > position.character) break;
        units += c.units;
        at += c.bytes;
    }
    return at;
}

std::size_t TextPositions::nextCharacter(std::size_t offset) const {
    if (offset >= text.size()) return text.size();
    return offset + characterAt(text, offset).bytes;
}

}  // namespace OrvexConfigValidate::Lsp
