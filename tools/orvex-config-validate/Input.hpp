// Reading one input file (or standard input) whole, within a size limit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "TextBuffer.hpp"

namespace OrvexConfigValidate::Tool {

constexpr std::size_t kDefaultMaxSize = std::size_t{512} << 20;

// Why an input could not be read.
struct InputError {
    std::string code;  // "read_error"
    std::string message;
};

struct LoadedInput {
    std::string name;  // as shown in reports; "<stdin>" for "-"
    TextBuffer buffer;
    std::size_t size = 0;
    std::optional<InputError> error;

    std::string_view text() const { return {buffer.data(), size}; }
    void release() {
        buffer.reset();
        size = 0;
    }
};

// Reads the file at path ("-": the descriptor standardInput). Only regular
// files and standard input are read, and none larger than maxSize bytes;
// anything else, and running out of memory, is a read error of this input.
LoadedInput loadInput(const std::string& path, int standardInput, std::size_t maxSize);

// Reads what is left of an open descriptor, as loadInput reads a file
// named `name`; the descriptor stays open.
LoadedInput loadDescriptor(const std::string& name, int fd, std::size_t maxSize);

}  // namespace OrvexConfigValidate::Tool
