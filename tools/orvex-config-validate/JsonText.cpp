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

std::string indentedJson(const nlohmann::ordered_json& value, std::size_t indent) {
    std::string text = value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    if (indent == 0) return text;
    // A dumped string holds no raw line break, so every one starts a line.
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        out += c;
        if (c == '\n') out.append(indent, ' ');
    }
    return out;
}

JsonArrayStream::JsonArrayStream(OutputSink& sink, const nlohmann::ordered_json& skeleton,
                                 std::string_view name, std::size_t indent)
    : sink_(sink) {
    std::string text = indentedJson(skeleton, indent);
    std::string member;
    appendJsonString(member, name);
    member += ": [";
    // Inside a dumped string a quote is escaped, so this is the member itself.
    const std::size_t at = text.rfind(member + "]");
    const std::size_t open = at + member.size();
    const std::size_t lineStart = text.rfind('\n', at);
    elementIndent_ = at - (lineStart == std::string::npos ? 0 : lineStart + 1) + 2;
    sink_ << std::string_view(text).substr(0, open);
    after_ = text.substr(open);
}

void JsonArrayStream::next() {
    sink_ << (count_++ == 0 ? "\n" : ",\n");
    sink_ << std::string(elementIndent_, ' ');
}

void JsonArrayStream::add(const nlohmann::ordered_json& element) {
    next();
    sink_ << indentedJson(element, elementIndent_);
}

void JsonArrayStream::finish() {
    if (count_ > 0) sink_ << "\n" << std::string(elementIndent_ - 2, ' ');
    sink_ << after_;
}

}  // namespace OrvexConfigValidate::Tool
