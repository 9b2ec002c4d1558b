#include "TextBuffer.hpp"

#include <orvexconfigvalidate/Pages.hpp>

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <new>
#include <utility>

// A mapped file that someone else cuts short while it is checked faults
// past its new end: the run ends as for a file that cannot be read, with
// status 2, not with a crash.
extern "C" {
static void onInputCutShort(int /*signal*/) {
    static const char kMessage[] =
        "orvex-config-validate: error: an input file was cut short while it was read\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
    ::_exit(2);
}
}

namespace OrvexConfigValidate::Tool {

namespace {

void guardAgainstCutShortFiles() {
    static const bool guarded = [] {
        struct sigaction action {};
        action.sa_handler = onInputCutShort;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, nullptr) == 0;
    }();
    static_cast<void>(guarded);
}

std::size_t wholePages(std::size_t bytes) {
    static const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t length = (bytes + page - 1) / page * page;
    if (length == 0 || length < bytes) throw std::bad_alloc();
    return length;
}

}  // namespace

TextBuffer::TextBuffer(std::size_t capacity) {
    const std::size_t length = wholePages(capacity);
    void* mapping =
        ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) throw std::bad_alloc();
    base_ = static_cast<char*>(mapping);
    capacity_ = capacity;
    mapped_ = length;
    adviseHugePages(base_, mapped_);
}

TextBuffer TextBuffer::mapFile(int fd, std::size_t size) {
    TextBuffer buffer;
    guardAgainstCutShortFiles();
    const std::size_t length = wholePages(size);
    void* mapping = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapping == MAP_FAILED) {
        if (errno == ENOMEM) throw std::bad_alloc();
        return buffer;
    }
    buffer.base_ = static_cast<char*>(mapping);
    buffer.capacity_ = size;
    buffer.mapped_ = length;
    // The check reads the text once, from the front.
    ::madvise(mapping, length, MADV_SEQUENTIAL);
    return buffer;
}

TextBuffer::~TextBuffer() {
    reset();
}

TextBuffer::TextBuffer(TextBuffer&& other) noexcept
    : base_(std::exchange(other.base_, nullptr)),
      capacity_(std::exchange(other.capacity_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

TextBuffer& TextBuffer::operator=(TextBuffer&& other) noexcept {
    if (this != &other) {
        reset();
        base_ = std::exchange(other.base_, nullptr);
        capacity_ = std::exchange(other.capacity_, 0);
        mapped_ = std::exchange(other.mapped_, 0);
    }
    return *this;
}

void TextBuffer::reset() {
    if (base_ != nullptr) ::munmap(base_, mapped_);
    base_ = nullptr;
    capacity_ = mapped_ = 0;
}

}  // namespace OrvexConfigValidate::Tool
