// Room for the texts of a workspace's versions. Each version's text is a
// string of its own, shared by its snapshots, and an edit makes the next one
// from it. A large file's new text is written into the room of a version no
// one reads any more, which is still in memory, rather than into fresh pages
// that the kernel must map and zero on every keystroke.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

namespace OrvexConfigValidate {

class TextRoom {
  public:
    // Smaller texts cost little to place anew; no room is kept for them.
    static constexpr std::size_t kKeptFrom = std::size_t{1} << 20;
    // New room for a large text has this part of its size to spare.
    static constexpr std::size_t kSparePart = 64;

    // An empty string with room for at least `size` bytes: the room of a
    // text let go of when it is large enough, else new room.
    std::string take(std::size_t size);
    // Lets go of the room kept (a document was closed).
    void clear();

  private:
    friend struct TextRoomReturn;
    void keep(std::string&& text);

    std::mutex mutex;
    std::string spare;
};

// The text shared; its room goes back to `room` once no one holds it. Texts
// outliving the room are simply freed.
std::shared_ptr<const std::string> shareText(const std::shared_ptr<TextRoom>& room,
                                             std::string text);

}  // namespace OrvexConfigValidate
