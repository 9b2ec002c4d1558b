#include "Input.hpp"

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

namespace OrvexConfigValidate::Tool {

namespace {

constexpr std::size_t kFirstChunk = std::size_t{64} << 10;

LoadedInput readError(const std::string& name, const std::string& reason) {
    LoadedInput input;
    input.name = name;
    input.error = InputError{IssueCode::kReadError, "cannot read file: " + reason};
    return input;
}

std::string tooLarge(std::size_t maxSize) {
    return "larger than the limit of " + std::to_string(maxSize) + " bytes (see --max-size)";
}

// Room for one byte past the limit, to tell an input that exceeds it; the
// largest limit has no byte past it and cannot be exceeded anyway.
std::size_t pastLimit(std::size_t maxSize) {
    return maxSize == SIZE_MAX ? maxSize : maxSize + 1;
}

// Reads until the end of the input into one buffer. A regular file of known
// size is read in one call into a buffer one byte larger than the file, so
// that a file that grew meanwhile is noticed; other inputs grow the buffer.
LoadedInput readWhole(const std::string& name, int fd, bool regular, std::size_t knownSize,
                      std::size_t maxSize) {
    LoadedInput input;
    input.name = name;
    std::size_t capacity = regular ? knownSize + 1 : std::min(kFirstChunk, pastLimit(maxSize));
    input.buffer = TextBuffer(capacity);
    for (;;) {
        const ssize_t got = ::read(fd, input.buffer.data() + input.size, capacity - input.size);
        if (got < 0) {
            if (errno == EINTR) continue;
            return readError(name, std::strerror(errno));
        }
        input.size += static_cast<std::size_t>(got);
        if (got == 0 || (regular && input.size < capacity)) break;
        if (input.size > maxSize) return readError(name, tooLarge(maxSize));
        if (input.size == capacity) {
            const std::size_t grown = std::min(capacity * 2, pastLimit(maxSize));
            TextBuffer bigger(grown);
            std::memcpy(bigger.data(), input.buffer.data(), input.size);
            input.buffer = std::move(bigger);
            capacity = grown;
        }
    }
    if (input.size > maxSize) return readError(name, tooLarge(maxSize));
    return input;
}

LoadedInput mapWhole(const std::string& name, int fd, std::size_t size) {
    LoadedInput input;
    input.name = name;
    input.buffer = TextBuffer::mapFile(fd, size);
    input.size = input.buffer.capacity();
    return input;
}

LoadedInput readDescriptor(const std::string& name, int fd, bool standardInput,
                           std::size_t maxSize) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        return readError(name, standardInput && errno == EBADF ? "standard input is closed"
                                                               : std::strerror(errno));
    }
    if (S_ISDIR(status.st_mode)) return readError(name, "is a directory");
    const bool regular = S_ISREG(status.st_mode);
    if (!regular && !standardInput) return readError(name, "not a regular file");
    const auto size = static_cast<std::size_t>(status.st_size);
    if (regular && size > maxSize) return readError(name, tooLarge(maxSize));
    try {
        // A regular file's text is its mapping; one that shows no size (as
        // some kernel files do) or cannot be mapped is read.
        if (regular && size > 0) {
            LoadedInput mapped = mapWhole(name, fd, size);
            if (mapped.buffer.data() != nullptr) return mapped;
        }
        return readWhole(name, fd, regular, size, maxSize);
    } catch (const std::bad_alloc&) {
        return readError(name, "not enough memory to read it");
    }
}

}  // namespace

LoadedInput loadInput(const std::string& path, int standardInput, std::size_t maxSize) {
    if (path == "-") return readDescriptor("<stdin>", standardInput, true, maxSize);
    // Non-blocking, so that a named pipe does not hang the open; it is then
    // refused as not a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return readError(path, std::strerror(errno));
    LoadedInput input = loadDescriptor(path, fd, maxSize);
    ::close(fd);
    return input;
}

LoadedInput loadDescriptor(const std::string& name, int fd, std::size_t maxSize) {
    return readDescriptor(name, fd, false, maxSize);
}

}  // namespace OrvexConfigValidate::Tool
