#include "MessageParser.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Text.hpp>

namespace OrvexConfigValidate::Lsp {

namespace {

// A string value that cannot be told from a placeholder makes the fast path
// give way; so does any body that writes the placeholder's start.
const std::string_view kMarkerEscaped = "\\u0000orvex-text-";
const std::string kMarker = std::string(1, '\0') + "orvex-text-";

std::optional<unsigned> hex4(std::string_view raw, std::size_t at) {
    if (at + 4 > raw.size()) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const int digit = hexDigitValue(raw[at + i]);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return value;
}

char* appendUtf8(char* out, unsigned codePoint) {
    if (codePoint < 0x80) {
        *out++ = static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        *out++ = static_cast<char>(0xC0 | (codePoint >> 6));
        *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (codePoint >> 12));
        *out++ = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (codePoint >> 18));
        *out++ = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return out;
}

// The character that a one-letter escape stands for.
std::optional<char> shortEscape(char kind) {
    switch (kind) {
        case '"':
        case '\\':
        case '/':
            return kind;
        case 'b':
            return '\b';
        case 'f':
            return '\f';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        default:
            return std::nullopt;
    }
}

// The code point of a \u escape whose hex digits start at `at` (a surrogate
// pair takes two escapes), moving `at` past it; nothing when malformed.
std::optional<unsigned> unicodeEscape(std::string_view raw, std::size_t& at) {
    const auto first = hex4(raw, at);
    if (!first) return std::nullopt;
    at += 4;
    const unsigned codePoint = *first;
    if (codePoint >= 0xDC00 && codePoint <= 0xDFFF) return std::nullopt;
    if (codePoint < 0xD800 || codePoint > 0xDBFF) return codePoint;
    if (at + 1 >= raw.size() || raw[at] != '\\' || raw[at + 1] != 'u') return std::nullopt;
    const auto second = hex4(raw, at + 2);
    if (!second || *second < 0xDC00 || *second > 0xDFFF) return std::nullopt;
    at += 6;
    return 0x10000 + ((codePoint - 0xD800) << 10) + (*second - 0xDC00);
}

// Of a decoded string's room, at most this part may stay unused.
constexpr std::size_t kMostUnusedPart = 32;

// The contents of a string literal (between its quotes) decoded, or nothing
// when the general parser would reject them. Decoding never lengthens a
// string, so the result is written in place of a copy of its size.
std::optional<std::string> decodeString(std::string_view raw) {
    std::string out(raw.size(), '\0');
    char* write = out.data();
    std::size_t i = 0;
    while (i < raw.size()) {
        const auto c = static_cast<unsigned char>(raw[i]);
        if (c >= 0x20 && c < 0x80 && c != '\\') {
            *write++ = static_cast<char>(c);
            ++i;
            continue;
        }
        if (c < 0x20) return std::nullopt;
        if (c >= 0x80) {
            const std::size_t length = utf8SequenceLength(raw, i);
            if (length == 0) return std::nullopt;
            for (std::size_t k = 0; k < length; ++k) *write++ = raw[i + k];
            i += length;
            continue;
        }
        // An escape.
        if (i + 1 >= raw.size()) return std::nullopt;
        const char kind = raw[i + 1];
        i += 2;
        if (kind == 'u') {
            const auto codePoint = unicodeEscape(raw, i);
            if (!codePoint) return std::nullopt;
            write = appendUtf8(write, *codePoint);
            continue;
        }
        const auto escaped = shortEscape(kind);
        if (!escaped) return std::nullopt;
        *write++ = *escaped;
    }
    out.resize(static_cast<std::size_t>(write - out.data()));
    // A long text lives on as the document's: where escapes made it much
    // shorter than its literal, the rest is given back rather than kept
    // for the document's life.
    if (raw.size() - out.size() > raw.size() / kMostUnusedPart) out.shrink_to_fit();
    return out;
}

// The closing quote of the string literal opened at `open`, or npos.
std::size_t closingQuote(std::string_view body, std::size_t open) {
    std::size_t at = open + 1;
    while (true) {
        const std::size_t quote = body.find('"', at);
        if (quote == std::string_view::npos) return quote;
        // Escaped when an odd number of backslashes stands before it.
        std::size_t backslashes = 0;
        while (quote - backslashes > open + 1 && body[quote - backslashes - 1] == '\\') {
            ++backslashes;
        }
        if (backslashes % 2 == 0) return quote;
        at = quote + 1;
    }
}

// Puts the long strings back in place of their placeholders; false when
// the placeholders found are not exactly the ones written.
bool substitute(nlohmann::json& value, std::vector<std::string>& strings, std::vector<bool>& used) {
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        if (text.compare(0, kMarker.size(), kMarker) != 0) return true;
        const std::string index = text.substr(kMarker.size());
        if (index.empty() || index.find_first_not_of("0123456789") != std::string::npos ||
            index.size() > 9) {
            return false;
        }
        const auto at = std::stoul(index);
        if (at >= strings.size() || used[at]) return false;
        used[at] = true;
        value = std::move(strings[at]);
        return true;
    }
    if (value.is_structured()) {
        for (auto& element : value) {
            if (!substitute(element, strings, used)) return false;
        }
    }
    return true;
}

}  // namespace

MessageTooDeep::MessageTooDeep()
    : std::runtime_error("the message nests deeper than " + std::to_string(kMaxMessageDepth) +
                         " levels") {}

std::size_t nestingDepth(std::string_view body, std::size_t limit) {
    std::size_t depth = 0;
    std::size_t deepest = 0;
    bool inString = false;
    for (std::size_t i = 0; i < body.size() && deepest <= limit; ++i) {
        const char c = body[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

namespace {

// The general parser, after the depth check.
nlohmann::json parseWithin(std::string_view text) {
    if (nestingDepth(text, kMaxMessageDepth) > kMaxMessageDepth) throw MessageTooDeep();
    return nlohmann::json::parse(text.begin(), text.end());
}

// A part of the body copied as it is into the skeleton; false when it
// writes the placeholder's start, which the general parser must then read.
bool appendVerbatim(std::string& skeleton, std::string_view part) {
    if (part.find(kMarkerEscaped) != std::string_view::npos) return false;
    skeleton.append(part.data(), part.size());
    return true;
}

}  // namespace

nlohmann::json parseMessage(std::string_view body) {
    if (body.size() < kFastPathBody) return parseWithin(body);
    // The body with each long string replaced by a placeholder. It nests
    // exactly as deep as the body, so its depth is checked in place of the
    // body's, and the megabytes of string are read once, by the decoder.
    std::string skeleton;
    std::vector<std::string> strings;
    std::size_t copied = 0;
    std::size_t at = 0;
    while (true) {
        const std::size_t open = body.find('"', at);
        if (open == std::string_view::npos) break;
        const std::size_t close = closingQuote(body, open);
        if (close == std::string_view::npos) break;  // unterminated: the general parser says so
        at = close + 1;
        if (close - open - 1 < kFastPathString) continue;
        std::size_t next = at;
        while (next < body.size() && (body[next] == ' ' || body[next] == '\t' ||
                                      body[next] == '\n' || body[next] == '\r')) {
            ++next;
        }
        if (next < body.size() && body[next] == ':') continue;  // a member name
        if (!appendVerbatim(skeleton, body.substr(copied, open - copied))) return parseWithin(body);
        std::optional<std::string> decoded = decodeString(body.substr(open + 1, close - open - 1));
        if (!decoded) return parseWithin(body);
        skeleton += "\"" + std::string(kMarkerEscaped) + std::to_string(strings.size()) + "\"";
        strings.push_back(std::move(*decoded));
        copied = close + 1;
    }
    if (strings.empty() || !appendVerbatim(skeleton, body.substr(copied))) {
        return parseWithin(body);
    }
    nlohmann::json message;
    try {
        message = parseWithin(skeleton);
    } catch (const nlohmann::json::parse_error&) {
        // The fault lies outside the long strings; report it where it is.
        return nlohmann::json::parse(body.begin(), body.end());
    }
    std::vector<bool> used(strings.size(), false);
    const std::size_t count = strings.size();
    if (!substitute(message, strings, used) ||
        std::count(used.begin(), used.end(), true) != static_cast<std::ptrdiff_t>(count)) {
        return nlohmann::json::parse(body.begin(), body.end());
    }
    return message;
}

}  // namespace OrvexConfigValidate::Lsp
