#include "Utf8.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

// What a lead byte starts: the sequence's length (0 for no lead byte) and
// the range of its second byte, which only E0, ED, F0 and F4 narrow.
struct LeadForm {
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

LeadForm leadForm(unsigned char lead, bool strict) {
    LeadForm form;
    if (lead >= 0xC2 && lead <= 0xDF) {
        form.length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        form.length = 3;
        if (strict && lead == 0xE0) form.low = 0xA0;
        if (strict && lead == 0xED) form.high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        form.length = 4;
        if (strict && lead == 0xF0) form.low = 0x90;
        if (strict && lead == 0xF4) form.high = 0x8F;
    }
    return form;
}

}  // namespace

std::size_t utf8SequenceLength(std::string_view text, std::size_t at, Utf8Check check) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    const LeadForm form = leadForm(lead, check == Utf8Check::WellFormed);
    if (form.length == 0 || at + form.length > text.size()) return 0;
    if (byte(1) < form.low || byte(1) > form.high) return 0;
    for (std::size_t k = 2; k < form.length; ++k) {
        if (byte(k) < 0x80 || byte(k) > 0xBF) return 0;
    }
    return form.length;
}

std::size_t utf8InvalidLength(std::string_view text, std::size_t at) {
    const LeadForm form = leadForm(static_cast<unsigned char>(text[at]), true);
    std::size_t length = 1;
    while (length < form.length && at + length < text.size()) {
        const auto next = static_cast<unsigned char>(text[at + length]);
        const unsigned char low = length == 1 ? form.low : 0x80;
        const unsigned char high = length == 1 ? form.high : 0xBF;
        if (next < low || next > high) break;
        ++length;
    }
    return length;
}

}  // namespace OrvexConfigValidate::Tool
