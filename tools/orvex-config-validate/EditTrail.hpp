// Fixes taken in rounds, each round on the text the one before left, told
// as edits of the first text: what a diff of the whole shows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate::Tool {

class EditTrail {
  public:
    explicit EditTrail(std::size_t originalSize);

    // Edits of the current text, sorted by offset and not overlapping.
    void apply(const std::vector<TextEdit>& edits);
    // Everything applied so far, as sorted edits of the first text.
    std::vector<TextEdit> edits() const;

  private:
    // A stretch of the current text: of the first text (at `start`), or of
    // the text added by edits (at `start` in added_).
    struct Piece {
        bool original;
        std::size_t start;
        std::size_t length;
    };
    // Walks the pieces of the current text in order.
    struct Cursor {
        std::size_t piece = 0;
        std::size_t within = 0;
        std::size_t position = 0;  // in the current text
    };
    void advance(Cursor& cursor, std::size_t to, std::vector<Piece>* out) const;

    std::size_t originalSize_;
    std::vector<Piece> pieces_;
    std::string added_;
};

}  // namespace OrvexConfigValidate::Tool
