#include "JsonText.hpp"

#include <array>
#include <charconv>

#include "Utf8.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

// The escape of a byte below 0x20, a quote or a backslash; null for others.
const char* shortEscape(char c) {
    switch (c) {
        case '"':
            return "\\\"";
        case '\\':
            return "\\\\";
        case '\b':
            return "\\b";
        case '\t':
            return "\\t";
        case '\n':
            return "\\n";
        case '\f':
            return "\\f";
        case '\r':
            return "\\r";
        default:
            return nullptr;
    }
}

void appendControl(std::string& out, unsigned char c) {
    const char* const digits = "0123456789abcdef";
    out += "\\u00";
    out += digits[c >> 4];
    out += digits[c & 0xF];
}

// Bytes that a JSON string holds as they are: most of any text.
bool isPlain(unsigned char c) {
    return c >= 0x20 && c < 0x80 && c != '"' && c != '\\';
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t plain = at;
        while (plain < text.size() && isPlain(static_cast<unsigned char>(text[plain]))) ++plain;
        out.append(text, at, plain - at);
        at = plain;
        if (at == text.size()) break;
        const auto c = static_cast<unsigned char>(text[at]);
        if (c >= 0x80) {
            const std::size_t length = utf8SequenceLength(text, at);
            if (length > 0) {
                out.append(text, at, length);
                at += length;
            } else {
                out += "\xEF\xBF\xBD";
                at += utf8InvalidLength(text, at);
            }
        } else if (const char* escape = shortEscape(text[at])) {
            out += escape;
            ++at;
        } else {
            appendControl(out, c);
            ++at;
        }
    }
    out += '"';
}

void JsonWriter::separate() {
    if (afterValue) out += ',';
    afterValue = false;
}

JsonWriter& JsonWriter::beginObject() {
    separate();
    out += '{';
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    out += '}';
    afterValue = true;
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    separate();
    out += '[';
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    out += ']';
    afterValue = true;
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    separate();
    appendJsonString(out, name);
    out += ':';
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view text) {
    separate();
    appendJsonString(out, text);
    afterValue = true;
    return *this;
}

JsonWriter& JsonWriter::number(std::size_t value) {
    separate();
    std::array<char, 24> digits{};
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    out.append(digits.data(), written.ptr);
    afterValue = true;
    return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
    separate();
    out += value ? "true" : "false";
    afterValue = true;
    return *this;
}

}  // namespace OrvexConfigValidate::Tool
