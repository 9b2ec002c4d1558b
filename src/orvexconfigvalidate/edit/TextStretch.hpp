// What changed between two versions of a text, as the editor's edits say:
// the stretch [from, to) of the older text gave way to to - from + delta
// bytes. The carry reads the edited elements from it instead of comparing
// the two texts.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>

#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

struct TextStretch {
    std::size_t from = 0;
    std::size_t to = 0;
    std::ptrdiff_t delta = 0;

    // Where the stretch ends in the newer text.
    std::size_t newEnd() const {
        return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(to) + delta);
    }
};

// The stretch after one more edit, whose range is in the newer text; the
// edit alone when nothing changed before it.
inline TextStretch widen(const std::optional<TextStretch>& before, const TextEdit& edit) {
    const std::ptrdiff_t grown =
        static_cast<std::ptrdiff_t>(edit.newText.size()) - static_cast<std::ptrdiff_t>(edit.length);
    if (!before) return {edit.offset, edit.offset + edit.length, grown};
    // The text after the stretch is the older text's, moved by its delta.
    const std::size_t end = std::max(before->newEnd(), edit.offset + edit.length);
    TextStretch wider;
    wider.from = std::min(before->from, edit.offset);
    wider.to = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(end) - before->delta);
    wider.delta = before->delta + grown;
    return wider;
}

}  // namespace OrvexConfigValidate
