// Conversion between byte offsets of a UTF-8 text and editor positions
// (0-based line, column in UTF-16 code units).
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Text.hpp>

namespace OrvexConfigValidate::Lsp {

struct Position {
    std::size_t line = 0;
    std::size_t character = 0;  // UTF-16 code units from the line start
    bool operator==(const Position& other) const {
        return line == other.line && character == other.character;
    }
};

// Lines are the library's (LineTable). A byte that does not start a
// valid UTF-8 sequence counts as one code unit, as its replacement
// character would.
class TextPositions {
  public:
    // Keeps a view: the text must outlive this object.
    explicit TextPositions(std::string_view text);

    Position positionOf(std::size_t offset) const;
    // The positions of many offsets, in their order: one pass over the lines
    // they fall on, where one positionOf each would scan a long line again
    // for every offset on it.
    std::vector<Position> positionsOf(const std::vector<std::size_t>& offsets) const;
    std::size_t lineOf(std::size_t offset) const;
    // A position past its line's end means the line's end; past the last
    // line, the end of the text. A position inside a surrogate pair moves
    // to the start of its character.
    std::size_t offsetOf(const Position& position) const;
    // The byte offset where the character at offset ends.
    std::size_t nextCharacter(std::size_t offset) const;
    std::size_t lineEnd(std::size_t line) const;

  private:
    std::string_view text;
    LineTable lines;
    // Lines of ASCII only convert by subtraction, which keeps long
    // (minified) lines cheap.
    std::vector<bool> asciiLines;
};

}  // namespace OrvexConfigValidate::Lsp
