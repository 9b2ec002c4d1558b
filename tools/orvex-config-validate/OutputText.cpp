#include "OutputText.hpp"

#include <cstdint>
#include <cstdio>

namespace OrvexConfigValidate::Tool {

namespace {

// Length of the well-formed UTF-8 sequence at text[i] (no overlong forms,
// no surrogates, nothing above U+10FFFF), or 0.
std::size_t sequenceLength(std::string_view text, std::size_t i) {
    const auto at = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    if (at(i + 1) < low || at(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (at(i + k) < 0x80 || at(i + k) > 0xBF) return 0;
    }
    return length;
}

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
        const std::size_t length = sequenceLength(text, i);
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
