// The text of a document under the changes of one didChange message.
// Each ranged change finds its range in the text left by the changes
// before it; the text is kept as pieces in a balanced tree, so that a
// change costs time logarithmic in the text plus the bytes it inserts, and
// a message of many changes costs about as much as reading the text once.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {

class ChangedText {
  public:
    static constexpr std::size_t kPieceBytes = 512;

    // Keeps a view: the text must outlive this object. Pieces of about
    // pieceBytes bytes (at least 16); small ones let the tests reach every
    // seam between pieces. With the positions of the current text, the
    // first ranged change is found there and the pieces wait for a second
    // one: a message of one small change (the usual keystroke) then costs a
    // copy of the text, not a reading of every character.
    explicit ChangedText(std::string_view current, std::size_t pieceBytes = kPieceBytes,
                         const TextPositions* currentPositions = nullptr);
    ~ChangedText();
    ChangedText(const ChangedText&) = delete;
    ChangedText& operator=(const ChangedText&) = delete;

    void replaceAll(std::string text);
    // Positions are read as TextPositions::offsetOf reads them. False, and
    // nothing changed, when the range ends before it starts.
    bool replace(const Position& start, const Position& end, std::string_view text);

    bool changed() const { return anyChange; }
    // The text after all changes; take() may move it out, after which the
    // object is done with.
    std::string text() const;
    std::string take();

  private:
    struct Pieces;

    bool replaceInCurrent(const Position& start, const Position& end, std::string_view text);

    std::string_view current;
    const TextPositions* positions;
    std::optional<std::string> whole;  // a whole-text change not yet in pieces
    std::unique_ptr<Pieces> pieces;    // made at the first ranged change
    std::size_t pieceBytes;
    bool anyChange = false;
};

}  // namespace OrvexConfigValidate::Lsp
