#include "SafeText.hpp"

#include <cstdint>

namespace OrvexConfigValidate::Tool {

namespace {

const char* const kHex = "0123456789abcdef";

// Length of the well-formed UTF-8 sequence at text[i], or 0.
std::size_t sequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) {
        return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
    };
    const auto cont = [&](std::size_t k, unsigned low = 0x80, unsigned high = 0xBF) {
        return byte(k) >= low && byte(k) <= high;
    };
    const unsigned lead = byte(0);
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return cont(1) ? 2 : 0;
    if (lead == 0xE0) return cont(1, 0xA0) && cont(2) ? 3 : 0;
    if (lead == 0xED) return cont(1, 0x80, 0x9F) && cont(2) ? 3 : 0;
    if (lead >= 0xE1 && lead <= 0xEF) return cont(1) && cont(2) ? 3 : 0;
    if (lead == 0xF0) return cont(1, 0x90) && cont(2) && cont(3) ? 4 : 0;
    if (lead >= 0xF1 && lead <= 0xF3) return cont(1) && cont(2) && cont(3) ? 4 : 0;
    if (lead == 0xF4) return cont(1, 0x80, 0x8F) && cont(2) && cont(3) ? 4 : 0;
    return 0;
}

void appendCodeEscape(std::string& out, unsigned code) {
    out += "\\u00";
    out += kHex[(code >> 4) & 0xF];
    out += kHex[code & 0xF];
}

}  // namespace

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = sequenceLength(text, i);
        if (length == 0) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
            ++i;
        } else if (byte < 0x20 || byte == 0x7F) {
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
