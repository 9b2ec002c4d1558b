#include "OutputText.hpp"

#include <cstdint>
#include <cstdio>

#include "Utf8.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

std::string hexEscape(const char* format, unsigned value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

}  // namespace

std::string printableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            out += hexEscape("\\x%02x", static_cast<unsigned char>(text[i]));
            ++i;
            continue;
        }
        const auto lead = static_cast<unsigned char>(text[i]);
        const bool c0 = lead < 0x20 && lead != '\t' && lead != '\n' && lead != '\r';
        // U+0080..U+009F are C2 80..C2 9F.
        const bool c1 =
            length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (c0 || lead == 0x7F) {
            out += hexEscape("\\u%04x", lead);
        } else if (c1) {
            out += hexEscape("\\u%04x", static_cast<unsigned char>(text[i + 1]));
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out;
}

std::string issueText(const Diagnostic& diagnostic, bool withPointer) {
    std::string text;
    if (withPointer && !diagnostic.path.empty() && diagnostic.path != "/") {
        text = diagnostic.path + ": ";
    }
    text += diagnostic.message;
    if (!diagnostic.hint.empty()) text += " (" + diagnostic.hint + ")";
    return text;
}

}  // namespace OrvexConfigValidate::Tool
