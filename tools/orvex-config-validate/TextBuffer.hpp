// The memory an input text is in: a regular file mapped as it is (nothing
// copied, and only the pages the check reads are ever touched), or for
// other inputs an anonymous mapping they are read into, advised for huge
// pages.
#pragma once

#include <cstddef>

namespace OrvexConfigValidate::Tool {

class TextBuffer {
  public:
    TextBuffer() = default;
    // Room to read into. Throws std::bad_alloc when the mapping cannot be made.
    explicit TextBuffer(std::size_t capacity);
    // The first `size` bytes of the open regular file `fd`, read-only; the
    // mapping outlives the descriptor. Throws std::bad_alloc when the
    // address space is short; nothing (an empty buffer) when the file
    // cannot be mapped, to be read instead.
    static TextBuffer mapFile(int fd, std::size_t size);
    ~TextBuffer();
    TextBuffer(TextBuffer&& other) noexcept;
    TextBuffer& operator=(TextBuffer&& other) noexcept;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    // Writable only for a buffer made with a capacity.
    char* data() const { return base_; }
    std::size_t capacity() const { return capacity_; }
    void reset();

  private:
    char* base_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t mapped_ = 0;  // bytes mapped from base_, whole pages
};

}  // namespace OrvexConfigValidate::Tool
