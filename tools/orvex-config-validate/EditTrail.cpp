#include "EditTrail.hpp"

#include <algorithm>

namespace OrvexConfigValidate::Tool {

EditTrail::EditTrail(std::size_t originalSize) : originalSize_(originalSize) {
    if (originalSize != 0) pieces_.push_back({true, 0, originalSize});
}

void EditTrail::advance(Cursor& cursor, std::size_t to, std::vector<Piece>* out) const {
    while (cursor.position < to && cursor.piece < pieces_.size()) {
        const Piece& piece = pieces_[cursor.piece];
        const std::size_t take = std::min(piece.length - cursor.within, to - cursor.position);
        if (out != nullptr) out->push_back({piece.original, piece.start + cursor.within, take});
        cursor.within += take;
        cursor.position += take;
        if (cursor.within == piece.length) {
            ++cursor.piece;
            cursor.within = 0;
        }
    }
}

void EditTrail::apply(const std::vector<TextEdit>& edits) {
    std::vector<Piece> next;
    Cursor cursor;
    for (const TextEdit& edit : edits) {
        advance(cursor, edit.offset, &next);
        advance(cursor, edit.offset + edit.length, nullptr);
        if (!edit.newText.empty()) {
            next.push_back({false, added_.size(), edit.newText.size()});
            added_ += edit.newText;
        }
    }
    advance(cursor, SIZE_MAX, &next);
    pieces_ = std::move(next);
}

std::vector<TextEdit> EditTrail::edits() const {
    std::vector<TextEdit> out;
    std::size_t expected = 0;  // where the first text goes on unchanged
    std::string inserted;
    for (const Piece& piece : pieces_) {
        if (!piece.original) {
            inserted.append(added_, piece.start, piece.length);
            continue;
        }
        if (piece.start != expected || !inserted.empty()) {
            out.push_back({expected, piece.start - expected, inserted});
            inserted.clear();
        }
        expected = piece.start + piece.length;
    }
    if (expected != originalSize_ || !inserted.empty()) {
        out.push_back({expected, originalSize_ - expected, inserted});
    }
    return out;
}

}  // namespace OrvexConfigValidate::Tool
