#include "TextBuffer.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <new>
#include <utility>

namespace OrvexConfigValidate::Tool {

namespace {

std::size_t pageSize() {
    static const auto size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

}  // namespace

TextBuffer::TextBuffer(std::size_t capacity) {
    const std::size_t page = pageSize();
    const std::size_t length = (capacity + page - 1) / page * page;
    if (length == 0 || length < capacity) throw std::bad_alloc();
    void* mapping =
        ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) throw std::bad_alloc();
    base_ = static_cast<char*>(mapping);
    capacity_ = capacity;
    mapped_ = length;
}

TextBuffer::~TextBuffer() {
    reset();
}

TextBuffer::TextBuffer(TextBuffer&& other) noexcept
    : base_(std::exchange(other.base_, nullptr)),
      capacity_(std::exchange(other.capacity_, 0)),
      mapped_(std::exchange(other.mapped_, 0)),
      discarded_(std::exchange(other.discarded_, 0)) {}

TextBuffer& TextBuffer::operator=(TextBuffer&& other) noexcept {
    if (this != &other) {
        reset();
        base_ = std::exchange(other.base_, nullptr);
        capacity_ = std::exchange(other.capacity_, 0);
        mapped_ = std::exchange(other.mapped_, 0);
        discarded_ = std::exchange(other.discarded_, 0);
    }
    return *this;
}

void TextBuffer::discardBefore(std::size_t offset) {
    const std::size_t page = pageSize();
    const std::size_t upTo = std::min(offset, mapped_) / page * page;
    if (upTo <= discarded_) return;
    ::munmap(base_ + discarded_, upTo - discarded_);
    discarded_ = upTo;
}

void TextBuffer::reset() {
    if (base_ != nullptr && mapped_ > discarded_)
        ::munmap(base_ + discarded_, mapped_ - discarded_);
    base_ = nullptr;
    capacity_ = mapped_ = discarded_ = 0;
}

}  // namespace OrvexConfigValidate::Tool
