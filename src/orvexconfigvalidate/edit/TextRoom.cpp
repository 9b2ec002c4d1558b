#include "edit/TextRoom.hpp"

#include <utility>

namespace OrvexConfigValidate {

struct TextRoomReturn {
    std::weak_ptr<TextRoom> room;

    void operator()(const std::string* text) const {
        // Made by shareText as a string of its own, so it may be moved from.
        auto* owned = const_cast<std::string*>(text);
        if (owned->capacity() >= TextRoom::kKeptFrom) {
            if (const std::shared_ptr<TextRoom> kept = room.lock()) kept->keep(std::move(*owned));
        }
        delete owned;
    }
};

std::string TextRoom::take(std::size_t size) {
    std::string out;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (spare.capacity() >= size) out.swap(spare);
    }
    out.clear();
    // Typing lengthens a text a little with each version: new room is made
    // with some to spare, or the room of the version before would never fit
    // the next.
    if (out.capacity() < size) out.reserve(size >= kKeptFrom ? size + size / kSparePart : size);
    return out;
}

void TextRoom::clear() {
    std::string dropped;
    const std::lock_guard<std::mutex> lock(mutex);
    dropped.swap(spare);
}

void TextRoom::keep(std::string&& text) {
    std::string dropped;
    const std::lock_guard<std::mutex> lock(mutex);
    // One room is kept, the largest: an edit needs one at a time.
    if (text.capacity() <= spare.capacity()) return;
    dropped.swap(spare);
    spare = std::move(text);
}

std::shared_ptr<const std::string> shareText(const std::shared_ptr<TextRoom>& room,
                                             std::string text) {
    return std::shared_ptr<const std::string>(new std::string(std::move(text)),
                                              TextRoomReturn{room});
}

}  // namespace OrvexConfigValidate
