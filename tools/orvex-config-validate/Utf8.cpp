#include "Utf8.hpp"

namespace OrvexConfigValidate::Tool {

std::size_t utf8SequenceLength(std::string_view text, std::size_t at, Utf8Check check) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    const bool strict = check == Utf8Check::WellFormed;
    std::size_t length = 0;
    // The range of the second byte; only E0, ED, F0 and F4 narrow it.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (strict && lead == 0xE0) low = 0xA0;
        if (strict && lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (strict && lead == 0xF0) low = 0x90;
        if (strict && lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(k) < 0x80 || byte(k) > 0xBF) return 0;
    }
    return length;
}

}  // namespace OrvexConfigValidate::Tool
