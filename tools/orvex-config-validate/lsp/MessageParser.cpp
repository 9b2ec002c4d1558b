#include "MessageParser.hpp"

#include <algorithm>
#include <cstring>
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

// Reads the contents of a string literal (between its quotes) into `sink`:
// runs of bytes as they are and the characters that escapes stand for. False
// where the general parser would reject them.
template <class Sink>
bool decodeInto(std::string_view raw, Sink& sink) {
    std::size_t i = 0;
    while (i < raw.size()) {
        std::size_t plain = i;
        while (plain < raw.size() && raw[plain] != '\\' &&
               static_cast<unsigned char>(raw[plain]) >= 0x20 &&
               static_cast<unsigned char>(raw[plain]) < 0x80) {
            ++plain;
        }
        sink.bytes(raw.data() + i, plain - i);
        i = plain;
        if (i == raw.size()) break;
        const auto c = static_cast<unsigned char>(raw[i]);
        if (c < 0x20) return false;
        if (c >= 0x80) {
            const std::size_t length = utf8SequenceLength(raw, i);
            if (length == 0) return false;
            sink.bytes(raw.data() + i, length);
            i += length;
            continue;
        }
        // An escape.
        if (i + 1 >= raw.size()) return false;
        const char kind = raw[i + 1];
        i += 2;
        if (kind == 'u') {
            const auto codePoint = unicodeEscape(raw, i);
            if (!codePoint) return false;
            char encoded[4];
            sink.bytes(encoded, encodeUtf8(*codePoint, encoded));
            continue;
        }
        const auto escaped = shortEscape(kind);
        if (!escaped) return false;
        sink.bytes(&*escaped, 1);
    }
    return true;
}

struct CountingSink {
    std::size_t count = 0;
    void bytes(const char*, std::size_t length) { count += length; }
};

// Writes into memory the literal may share: decoding never lengthens a
// string, so what is written stays behind what is still to be read.
struct WritingSink {
    char* at;
    void bytes(const char* from, std::size_t length) {
        std::memmove(at, from, length);
        at += length;
    }
};

// The contents of a string literal decoded, or nothing when the general
// parser would reject them. A long text lives on as the document's, beside
// the message's body until that is let go: it is measured first and written
// into room of exactly its size, not into room the size of its literal.
std::optional<std::string> decodeString(std::string_view raw) {
    CountingSink counted;
    if (!decodeInto(raw, counted)) return std::nullopt;
    std::string out(counted.count, '\0');
    WritingSink written{out.data()};
    decodeInto(raw, written);
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

// The index a placeholder string stands for, or nothing for another string.
// A malformed placeholder counts as one that was not written.
std::optional<std::size_t> placeholderIndex(const std::string& text, std::size_t count) {
    if (text.compare(0, kMarker.size(), kMarker) != 0) return std::nullopt;
    const std::string index = text.substr(kMarker.size());
    if (index.empty() || index.find_first_not_of("0123456789") != std::string::npos ||
        index.size() > 9) {
        return count;
    }
    return static_cast<std::size_t>(std::stoul(index));
}

// Whether the placeholders in the value are exactly the `count` written,
// each once.
bool placeholdersMatch(const nlohmann::json& value, std::vector<bool>& used) {
    if (value.is_string()) {
        const auto at = placeholderIndex(value.get_ref<const std::string&>(), used.size());
        if (!at) return true;
        if (*at >= used.size() || used[*at]) return false;
        used[*at] = true;
        return true;
    }
    if (value.is_structured()) {
        for (const auto& element : value) {
            if (!placeholdersMatch(element, used)) return false;
        }
    }
    return true;
}

// Puts the long strings back in place of their placeholders, which
// placeholdersMatch found as written.
void putBack(nlohmann::json& value, std::vector<std::string>& strings) {
    if (value.is_string()) {
        const auto at = placeholderIndex(value.get_ref<const std::string&>(), strings.size());
        if (at) value = std::move(strings[*at]);
    } else if (value.is_structured()) {
        for (auto& element : value) putBack(element, strings);
    }
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

// The body with each long string replaced by a placeholder, and the strings
// decoded. The body's largest string (the text of a document) may be left
// to be decoded into the body's own room once the rest has been read.
struct CutBody {
    std::string skeleton;
    std::vector<std::string> strings;
    struct InPlace {
        std::size_t index = 0;  // in strings
        std::size_t open = 0;   // its opening quote in the body
        std::size_t close = 0;
        std::size_t length = 0;  // decoded
    };
    std::optional<InPlace> inPlace;
};

// The body's room is taken for a string of more than half of it that
// leaves at most this part of the room unused.
constexpr std::size_t kMostUnusedPart = 4;

// Whether the string between `open` and `close` is decoded into the body's
// own room (`room` bytes, none when the body is not owned): then it is
// checked now and written later.
bool decodedInPlace(std::string_view body, std::size_t room, std::size_t open, std::size_t close,
                    CutBody& cut) {
    const std::string_view raw = body.substr(open + 1, close - open - 1);
    if (room == 0 || cut.inPlace || raw.size() <= body.size() / 2) return false;
    CountingSink counted;
    if (!decodeInto(raw, counted)) return false;
    if (room < counted.count || room - counted.count > room / kMostUnusedPart) return false;
    cut.inPlace = CutBody::InPlace{cut.strings.size(), open, close, counted.count};
    cut.strings.emplace_back();
    return true;
}

// Nothing when the general parser must read the body.
std::optional<CutBody> cutLongStrings(std::string_view body, std::size_t room) {
    CutBody cut;
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
        if (!appendVerbatim(cut.skeleton, body.substr(copied, open - copied))) return std::nullopt;
        if (!decodedInPlace(body, room, open, close, cut)) {
            std::optional<std::string> decoded =
                decodeString(body.substr(open + 1, close - open - 1));
            if (!decoded) return std::nullopt;
            cut.strings.push_back(std::move(*decoded));
        }
        cut.skeleton +=
            "\"" + std::string(kMarkerEscaped) + std::to_string(cut.strings.size() - 1) + "\"";
        copied = close + 1;
    }
    if (cut.strings.empty() || !appendVerbatim(cut.skeleton, body.substr(copied))) {
        return std::nullopt;
    }
    return cut;
}

// The message read from its skeleton; `owned`, when given, is the body's own
// string, whose room the largest string may take.
nlohmann::json readCut(std::string_view body, std::string* owned) {
    std::optional<CutBody> cut = cutLongStrings(body, owned != nullptr ? owned->capacity() : 0);
    if (!cut) return parseWithin(body);
    nlohmann::json message;
    try {
        message = parseWithin(cut->skeleton);
    } catch (const nlohmann::json::parse_error&) {
        // The fault lies outside the long strings; report it where it is.
        return nlohmann::json::parse(body.begin(), body.end());
    }
    std::vector<bool> used(cut->strings.size(), false);
    if (!placeholdersMatch(message, used) ||
        std::find(used.begin(), used.end(), false) != used.end()) {
        return nlohmann::json::parse(body.begin(), body.end());
    }
    // Nothing is read from the body after this: it becomes the text.
    if (const auto& in = cut->inPlace) {
        WritingSink written{owned->data()};
        decodeInto(body.substr(in->open + 1, in->close - in->open - 1), written);
        owned->resize(in->length);
        cut->strings[in->index] = std::move(*owned);
    }
    putBack(message, cut->strings);
    return message;
}

}  // namespace

nlohmann::json parseMessage(std::string_view body) {
    if (body.size() < kFastPathBody) return parseWithin(body);
    return readCut(body, nullptr);
}

nlohmann::json parseMessage(std::string&& body) {
    if (body.size() < kFastPathBody) return parseWithin(body);
    return readCut(body, &body);
}

}  // namespace OrvexConfigValidate::Lsp
