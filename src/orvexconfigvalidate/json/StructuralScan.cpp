#include "json/StructuralScan.hpp"

#if defined(__SSE2__) || defined(_M_X64)
#define ORVEX_WIDE_SCANS 1
#include <emmintrin.h>
#endif

namespace OrvexConfigValidate {

namespace bytewise {

namespace {

bool endsStringContent(unsigned char byte) {
    return byte == '"' || byte == '\\' || byte < 0x20 || byte >= 0x80;
}

}  // namespace

std::size_t skipStringContent(std::string_view text, std::size_t from) {
    while (from < text.size() && !endsStringContent(static_cast<unsigned char>(text[from]))) {
        ++from;
    }
    return from < text.size() ? from : text.size();
}

std::size_t skipBlanks(std::string_view text, std::size_t from) {
    while (from < text.size() && (text[from] == ' ' || text[from] == '\t')) ++from;
    return from < text.size() ? from : text.size();
}

std::size_t skipDigits(std::string_view text, std::size_t from) {
    while (from < text.size() && text[from] >= '0' && text[from] <= '9') ++from;
    return from < text.size() ? from : text.size();
}

}  // namespace bytewise

#ifdef ORVEX_WIDE_SCANS

namespace {

constexpr std::size_t kWidth = 16;

// Each scan looks at whole blocks of sixteen bytes while one fits before the
// end (never reading past it), and leaves the last few to the byte-wise scan.
template <typename StopMask>
std::size_t scanBlocks(std::string_view text, std::size_t from, StopMask stops) {
    const char* const data = text.data();
    while (from + kWidth <= text.size()) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(stops(block)));
        if (mask != 0) return from + static_cast<std::size_t>(__builtin_ctz(mask));
        from += kWidth;
    }
    return from;
}

}  // namespace

std::size_t skipStringContent(std::string_view text, std::size_t from) {
    from = scanBlocks(text, from, [](__m128i block) {
        // As signed bytes, control bytes and bytes from 0x80 up are all
        // below 0x20: one comparison finds both.
        const __m128i low = _mm_cmplt_epi8(block, _mm_set1_epi8(0x20));
        const __m128i quote = _mm_cmpeq_epi8(block, _mm_set1_epi8('"'));
        const __m128i backslash = _mm_cmpeq_epi8(block, _mm_set1_epi8('\\'));
        return _mm_or_si128(low, _mm_or_si128(quote, backslash));
    });
    return bytewise::skipStringContent(text, from);
}

std::size_t skipBlankRun(std::string_view text, std::size_t from) {
    from = scanBlocks(text, from, [](__m128i block) {
        const __m128i space = _mm_cmpeq_epi8(block, _mm_set1_epi8(' '));
        const __m128i tab = _mm_cmpeq_epi8(block, _mm_set1_epi8('\t'));
        return _mm_xor_si128(_mm_or_si128(space, tab), _mm_set1_epi8(-1));
    });
    return bytewise::skipBlanks(text, from);
}

std::size_t skipDigits(std::string_view text, std::size_t from) {
    from = scanBlocks(text, from, [](__m128i block) {
        // A digit is a byte whose distance above '0' is at most 9, unsigned.
        const __m128i above = _mm_sub_epi8(block, _mm_set1_epi8('0'));
        const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(above, _mm_set1_epi8(9)), above);
        return _mm_xor_si128(digit, _mm_set1_epi8(-1));
    });
    return bytewise::skipDigits(text, from);
}

bool wideScans() {
    return true;
}

#else

std::size_t skipStringContent(std::string_view text, std::size_t from) {
    return bytewise::skipStringContent(text, from);
}

std::size_t skipBlankRun(std::string_view text, std::size_t from) {
    return bytewise::skipBlanks(text, from);
}

std::size_t skipDigits(std::string_view text, std::size_t from) {
    return bytewise::skipDigits(text, from);
}

bool wideScans() {
    return false;
}

#endif

}  // namespace OrvexConfigValidate
