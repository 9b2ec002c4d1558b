#include "SafeText.hpp"

#include <cstdint>

#include "Utf8.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

const char* const kHex = "0123456789abcdef";

void appendCodeEscape(std::string& out, unsigned code) {
    out += "\\u00";
    out += kHex[(code >> 4) & 0xF];
    out += kHex[code & 0xF];
}

}  // namespace

std::string printable(std::string_view text, LineBreaks lineBreaks) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
            ++i;
        } else if ((byte < 0x20 || byte == 0x7F) &&
                   !(lineBreaks == LineBreaks::Keep &&
                     (byte == '\t' || byte == '\n' || byte == '\r'))) {
            appendCodeEscape(out, byte);
            ++i;
        } else if (byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            // U+0080 to U+009F: C1 controls, which some terminals obey.
            appendCodeEscape(out, static_cast<unsigned char>(text[i + 1]));
            i += 2;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

}  // namespace OrvexConfigValidate::Tool
