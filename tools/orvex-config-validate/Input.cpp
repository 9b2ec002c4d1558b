#include "Input.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace OrvexConfigValidate::Tool {

namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0.
std::size_t utf8SequenceLength(const std::string& text, std::size_t i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const std::size_t length = byte < 0x80                   ? 1
                               : byte >= 0xF0 && byte < 0xF5 ? 4
                               : byte >= 0xE0 && byte < 0xF0 ? 3
                               : byte >= 0xC2 && byte < 0xE0 ? 2
                                                             : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    }
    return length;
}

// The parser quotes what it last read, which may hold the very bytes that
// are not UTF-8; a report must stay printable, so those become U+FFFD.
std::string printable(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

// The parser's reason without its own "[json.exception...] parse error at
// line L, column C: " prefix, whose column counts a byte-order mark.
std::string parserReason(const std::string& what) {
    const std::string marker = "parse error";
    const std::size_t at = what.find(marker);
    if (at == std::string::npos) return what;
    const std::size_t colon = what.find(": ", at);
    return colon == std::string::npos ? what : what.substr(colon + 2);
}

LoadedInput readError(const std::string& name, const std::string& reason) {
    LoadedInput input;
    input.name = name;
    input.error = InputError{"read_error", "cannot read file: " + reason, std::nullopt};
    return input;
}

}  // namespace

LoadedInput parseInput(const std::string& name, std::string text) {
    LoadedInput input;
    input.name = name;
    input.text = std::move(text);
    try {
        input.document = nlohmann::json::parse(input.text, nullptr, true, false);
    } catch (const nlohmann::json::parse_error& e) {
        // byte is the 1-based position of the last character read, one past
        // the end when the input ended early.
        const std::size_t offset = e.byte == 0 ? 0 : e.byte - 1;
        input.document = nullptr;
        input.error = InputError{"parse_error", printable(parserReason(e.what())),
                                 positionAtOffset(input.text, offset)};
    }
    return input;
}

LoadedInput loadInput(const std::string& path, std::istream& standardInput) {
    if (path == "-") {
        std::ostringstream text;
        text << standardInput.rdbuf();
        if (standardInput.bad()) return readError("<stdin>", "read failed");
        return parseInput("<stdin>", text.str());
    }
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return readError(path, "is a directory");
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return readError(path, std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return readError(path, "read failed");
    return parseInput(path, text.str());
}

}  // namespace OrvexConfigValidate::Tool
