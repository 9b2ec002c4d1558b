// The memory an input text is read into: an anonymous mapping, so that the
// part a parse has passed can be handed back to the system page by page
// while the document is still being built.
#pragma once

#include <cstddef>

namespace OrvexConfigValidate::Tool {

class TextBuffer {
  public:
    TextBuffer() = default;
    // Throws std::bad_alloc when the mapping cannot be made.
    explicit TextBuffer(std::size_t capacity);
    ~TextBuffer();
    TextBuffer(TextBuffer&& other) noexcept;
    TextBuffer& operator=(TextBuffer&& other) noexcept;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    char* data() const { return base_; }
    std::size_t capacity() const { return capacity_; }
    // Unmaps the whole pages below offset; touching them afterwards faults,
    // so a parse that looked back would fail loudly, not read zeros.
    void discardBefore(std::size_t offset);
    void reset();

  private:
    char* base_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t mapped_ = 0;     // bytes mapped from base_, whole pages
    std::size_t discarded_ = 0;  // leading bytes already unmapped, whole pages
};

}  // namespace OrvexConfigValidate::Tool
