#include <cstdint>

#include <orvexconfigvalidate/Report.hpp>
#include <orvexconfigvalidate/Text.hpp>

namespace OrvexConfigValidate {

namespace {

const char* const kHex = "0123456789abcdef";

void appendCodeEscape(std::string& out, unsigned code) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(code >> shift) & 0xF];
}

// U+FFFE and U+FFFF (EF BF BE, EF BF BF): well-formed, but no XML document
// may hold them, so a report that carries them raw is not well-formed.
bool isXmlNoncharacter(std::string_view text, std::size_t at, std::size_t length) {
    return length == 3 && static_cast<unsigned char>(text[at]) == 0xEF &&
           static_cast<unsigned char>(text[at + 1]) == 0xBF &&
           static_cast<unsigned char>(text[at + 2]) >= 0xBE;
}

}  // namespace

std::string printable(std::string_view text, LineBreaks lineBreaks) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        // Runs of printable ASCII, nearly all of a report, go in at once.
        std::size_t plain = i;
        while (plain < text.size() && text[plain] >= 0x20 && text[plain] < 0x7F) ++plain;
        if (plain > i) {
            out.append(text, i, plain - i);
            i = plain;
            continue;
        }
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
        } else if (isXmlNoncharacter(text, i, length)) {
            appendCodeEscape(out,
                             static_cast<unsigned char>(text[i + 2]) == 0xBE ? 0xFFFE : 0xFFFF);
            i += length;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

}  // namespace OrvexConfigValidate
