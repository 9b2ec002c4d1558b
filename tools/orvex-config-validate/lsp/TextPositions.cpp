#include "TextPositions.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <orvexconfigvalidate/Text.hpp>

namespace OrvexConfigValidate::Lsp {

namespace {

// Bytes and UTF-16 units of the character at offset; an invalid or cut-off
// sequence is one byte and one unit.
struct Character {
    std::size_t bytes = 1;
    std::size_t units = 1;
};

Character characterAt(std::string_view text, std::size_t offset) {
    const std::size_t length = utf8SequenceLength(text, offset, Utf8Check::Shape);
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

TextPositions::TextPositions(std::string_view whole) : text(whole), lines(whole) {
    asciiLines.reserve(lines.lineCount());
    for (std::size_t line = 0; line < lines.lineCount(); ++line) {
        asciiLines.push_back(
            isAscii(text.data() + lines.lineStart(line), text.data() + lines.lineEnd(line)));
    }
}

std::size_t TextPositions::lineEnd(std::size_t line) const {
    return lines.lineEnd(line);
}

Position TextPositions::positionOf(std::size_t offset) const {
    offset = std::min(offset, text.size());
    const std::size_t line = lines.lineOf(offset);
    Position position{line, 0};
    if (asciiLines[line]) {
        position.character = offset - lines.lineStart(line);
        return position;
    }
    std::size_t at = lines.lineStart(line);
    while (at < offset) {
        const Character c = characterAt(text, at);
        at += c.bytes;
        // An offset inside a character counts the whole character.
        position.character += c.units;
    }
    return position;
}

std::size_t TextPositions::lineOf(std::size_t offset) const {
    return lines.lineOf(std::min(offset, text.size()));
}

std::vector<Position> TextPositions::positionsOf(const std::vector<std::size_t>& offsets) const {
    std::vector<std::size_t> order(offsets.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&offsets](std::size_t a, std::size_t b) { return offsets[a] < offsets[b]; });
    std::vector<Position> out(offsets.size());
    // Where the walk stands: a byte offset on `line` and its column.
    Position walked{lines.lineCount(), 0};
    std::size_t at = 0;
    for (const std::size_t index : order) {
        const std::size_t offset = std::min(offsets[index], text.size());
        const std::size_t line = lines.lineOf(offset);
        if (asciiLines[line]) {
            out[index] = {line, offset - lines.lineStart(line)};
            continue;
        }
        if (line != walked.line) {
            walked = {line, 0};
            at = lines.lineStart(line);
        }
        while (at < offset) {
            const Character c = characterAt(text, at);
            at += c.bytes;
            walked.character += c.units;
        }
        out[index] = walked;
    }
    return out;
}

std::size_t TextPositions::offsetOf(const Position& position) const {
    if (position.line >= lines.lineCount()) return text.size();
    const std::size_t end = lineEnd(position.line);
    std::size_t at = lines.lineStart(position.line);
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
