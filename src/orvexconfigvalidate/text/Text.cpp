#include <orvexconfigvalidate/Text.hpp>

#include <algorithm>
#include <cstring>

namespace OrvexConfigValidate {

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::size_t encodeUtf8(std::uint32_t codePoint, char* out) {
    if (codePoint < 0x80) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<char>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 4;
}

namespace {

// The next '\r' or '\n' from `from`. string_view::find_first_of looks each
// byte up in the set with a call of its own, which made a table of a large
// text cost more than the check of one edit.
std::size_t nextLineBreak(std::string_view text, std::size_t from, bool carriageReturns) {
    if (!carriageReturns) {
        const void* found = std::memchr(text.data() + from, '\n', text.size() - from);
        return found == nullptr
                   ? std::string_view::npos
                   : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    }
    for (std::size_t at = from; at < text.size(); ++at) {
        if (text[at] == '\n' || text[at] == '\r') return at;
    }
    return std::string_view::npos;
}

}  // namespace

LineTable::LineTable(std::string_view text) : text_(text) {
    starts_.push_back(0);
    const bool carriageReturns = text.find('\r') != std::string_view::npos;
    for (std::size_t at = nextLineBreak(text, 0, carriageReturns); at != std::string_view::npos;
         at = nextLineBreak(text, at, carriageReturns)) {
        at += lineBreakAt(text, at);
        starts_.push_back(at);
    }
}

std::size_t LineTable::lineOf(std::size_t offset) const {
    const auto next = std::upper_bound(starts_.begin(), starts_.end(), offset);
    return static_cast<std::size_t>(next - starts_.begin()) - 1;
}

std::size_t LineTable::lineStart(std::size_t line) const {
    return line < starts_.size() ? starts_[line] : text_.size();
}

std::size_t LineTable::lineEnd(std::size_t line) const {
    if (line + 1 >= starts_.size()) return text_.size();
    std::size_t end = starts_[line + 1];
    if (end > starts_[line] && text_[end - 1] == '\n') --end;
    if (end > starts_[line] && text_[end - 1] == '\r') --end;
    return end;
}

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

// A lead byte is never a continuation byte, so a sequence that starts
// before `at` and reaches past it is a character that the cut would split.
bool canCutAt(std::string_view text, std::size_t at) {
    if (at == 0 || at >= text.size()) return true;
    if (text[at - 1] == '\r' && text[at] == '\n') return false;
    for (std::size_t back = 1; back <= 3 && back <= at; ++back) {
        if (utf8SequenceLength(text, at - back, Utf8Check::Shape) > back) return false;
    }
    return true;
}

}  // namespace OrvexConfigValidate
