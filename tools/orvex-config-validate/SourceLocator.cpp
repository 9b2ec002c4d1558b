#include "SourceLocator.hpp"

#include <cstdint>
#include <optional>

namespace OrvexConfigValidate::Tool {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::size_t bomLength(std::string_view text) {
    return text.substr(0, kByteOrderMark.size()) == kByteOrderMark ? kByteOrderMark.size() : 0;
}

void appendUtf8(std::string& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// A forward-only cursor over the text. Every step stops at the end of the
// text, so malformed input gives a position rather than a crash.
class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text), pos_(bomLength(text)) {}

    std::size_t offset() const { return pos_; }
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }

    void skipWhitespace() {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) {
            ++pos_;
        }
    }

    bool consume(char c) {
        if (peek() != c) return false;
        ++pos_;
        return true;
    }

    // Reads a string at the cursor and returns its decoded text.
    std::string readString() {
        std::string out;
        if (!consume('"')) return out;
        while (!atEnd() && peek() != '"') {
            const char c = text_[pos_++];
            if (c != '\\') {
                out += c;
                continue;
            }
            const char escape = atEnd() ? '\0' : text_[pos_++];
            switch (escape) {
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u':
                    appendUtf8(out, readEscapedCodePoint());
                    break;
                default:
                    out += escape;
                    break;  // '"', '\\', '/'
            }
        }
        consume('"');
        return out;
    }

    // Skips one value of any kind. Nesting is tracked by a counter, so deep
    // documents need no deep recursion.
    void skipValue() {
        skipWhitespace();
        if (peek() == '"') {
            readString();
            return;
        }
        if (peek() != '{' && peek() != '[') {
            while (!atEnd() && peek() != ',' && peek() != '}' && peek() != ']' && peek() != ' ' &&
                   peek() != '\t' && peek() != '\n' && peek() != '\r') {
                ++pos_;
            }
            return;
        }
        std::size_t depth = 0;
        do {
            const char c = peek();
            if (c == '"') {
                readString();
                continue;
            }
            if (c == '{' || c == '[') ++depth;
            if (c == '}' || c == ']') --depth;
            ++pos_;
        } while (depth > 0 && !atEnd());
    }

    // With the cursor on '{': moves to the value of the last member named
    // key and returns true, or leaves the cursor undefined and returns false.
    bool enterMember(const std::string& key) {
        consume('{');
        std::optional<std::size_t> found;
        skipWhitespace();
        while (!atEnd() && peek() == '"') {
            const std::string name = readString();
            skipWhitespace();
            consume(':');
            skipWhitespace();
            if (name == key) found = pos_;
            skipValue();
            skipWhitespace();
            if (!consume(',')) break;
            skipWhitespace();
        }
        if (!found) return false;
        pos_ = *found;
        return true;
    }

    // With the cursor on '[': moves to element index and returns true, or
    // returns false when the array is shorter.
    bool enterElement(std::size_t index) {
        consume('[');
        skipWhitespace();
        if (peek() == ']') return false;
        for (std::size_t i = 0; i < index; ++i) {
            skipValue();
            skipWhitespace();
            if (!consume(',')) return false;
            skipWhitespace();
        }
        return !atEnd();
    }

  private:
    std::uint32_t readHex4() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4 && !atEnd(); ++i) {
            const char c = text_[pos_++];
            value <<= 4;
            if (c >= '0' && c <= '9') value |= static_cast<std::uint32_t>(c - '0');
            if (c >= 'a' && c <= 'f') value |= static_cast<std::uint32_t>(c - 'a' + 10);
            if (c >= 'A' && c <= 'F') value |= static_cast<std::uint32_t>(c - 'A' + 10);
        }
        return value;
    }

    std::uint32_t readEscapedCodePoint() {
        const std::uint32_t high = readHex4();
        if (high < 0xD800 || high > 0xDBFF) return high;
        if (text_.substr(pos_, 2) != "\\u") return high;
        pos_ += 2;
        const std::uint32_t low = readHex4();
        return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
    }

    std::string_view text_;
    std::size_t pos_;
};

// The array index a token stands for, when it is one: digits without a
// leading zero.
std::optional<std::size_t> arrayIndex(const std::string& token) {
    if (token.empty() || (token.size() > 1 && token[0] == '0')) return std::nullopt;
    std::size_t value = 0;
    for (const char c : token) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return value;
}

}  // namespace

TextPosition positionAtOffset(std::string_view text, std::size_t offset) {
    if (offset > text.size()) offset = text.size();
    TextPosition position;
    std::size_t lineStart = bomLength(text);
    if (offset < lineStart) offset = lineStart;
    for (std::size_t i = lineStart; i < offset; ++i) {
        if (text[i] == '\n') {
            ++position.line;
            lineStart = i + 1;
        }
    }
    position.column = offset - lineStart + 1;
    return position;
}

LocatedValue locateValue(std::string_view text, const std::vector<std::string>& tokens) {
    Scanner scanner(text);
    scanner.skipWhitespace();
    std::size_t valueStart = scanner.offset();
    bool exact = true;
    for (const auto& token : tokens) {
        bool entered = false;
        if (scanner.peek() == '{') {
            entered = scanner.enterMember(token);
        } else if (scanner.peek() == '[') {
            const auto index = arrayIndex(token);
            entered = index && scanner.enterElement(*index);
        }
        if (!entered) {
            exact = false;
            break;
        }
        valueStart = scanner.offset();
    }
    return {positionAtOffset(text, valueStart), exact};
}

}  // namespace OrvexConfigValidate::Tool
