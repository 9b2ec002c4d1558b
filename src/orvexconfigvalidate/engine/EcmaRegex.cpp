#include "engine/EcmaRegex.hpp"

#include <cstdint>
#include <cstdio>

#include <re2/re2.h>

namespace OrvexConfigValidate {
namespace {

// ECMA-262 white space and line terminators, as the inside of a class.
const char kEcmaSpace[] =
    "\\t\\n\\x0B\\f\\r \\x{A0}\\x{1680}\\x{2000}-\\x{200A}\\x{2028}\\x{2029}\\x{202F}\\x{205F}"
    "\\x{3000}\\x{FEFF}";
// "." matches anything but a line terminator.
const char kEcmaDot[] = "[^\\n\\r\\x{2028}\\x{2029}]";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool readHex(const std::string& text, std::size_t at, std::size_t digits, std::uint32_t& value) {
    if (at + digits > text.size()) return false;
    value = 0;
    for (std::size_t k = 0; k < digits; ++k) {
        const int d = hexDigit(text[at + k]);
        if (d < 0) return false;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return true;
}

std::string codePoint(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\x{%X}", static_cast<unsigned>(value));
    return buffer;
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

class Translator {
  public:
    explicit Translator(const std::string& pattern) : in(pattern) {}

    bool run(std::string& out, std::string& error) {
        while (i < in.size()) {
            if (!step()) {
                error = problem;
                return false;
            }
        }
        out = std::move(result);
        return true;
    }

  private:
    bool fail(const std::string& what) {
        problem = what;
        return false;
    }

    bool step() {
        const char c = in[i];
        if (c == '\\') return escape();
        if (inClass) {
            if (c == ']') {
                inClass = false;
            } else if (c == '[') {
                // Not a nested class in ECMA, and RE2 would read "[:" as POSIX.
                result += "\\[";
                ++i;
                return true;
            }
            result += c;
            ++i;
            return true;
        }
        if (c == '[') return openClass();
        if (c == '.') {
            result += kEcmaDot;
            ++i;
            return true;
        }
        if (c == '(' && i + 1 < in.size() && in[i + 1] == '?') return group();
        result += c;
        ++i;
        return true;
    }

    bool openClass() {
        // "[]" matches nothing and "[^]" anything; RE2 spells neither.
        if (in.compare(i, 2, "[]") == 0) {
            result += "[^\\x00-\\x{10FFFF}]";
            i += 2;
            return true;
        }
        if (in.compare(i, 3, "[^]") == 0) {
            result += "(?s:.)";
            i += 3;
            return true;
        }
        inClass = true;
        result += '[';
        ++i;
        if (i < in.size() && in[i] == '^') {
            result += '^';
            ++i;
        }
        // A leading "]" closes an empty class in ECMA, handled above; any
        // other "]" here would be literal in RE2 but not in ECMA.
        return true;
    }

    bool group() {
        if (in.compare(i, 3, "(?=") == 0 || in.compare(i, 3, "(?!") == 0)
            return fail("look-ahead is not supported");
        if (in.compare(i, 4, "(?<=") == 0 || in.compare(i, 4, "(?<!") == 0)
            return fail("look-behind is not supported");
        if (in.compare(i, 3, "(?<") == 0) {
            result += "(?P<";
            i += 3;
            return true;
        }
        if (in.compare(i, 3, "(?:") == 0) {
            result += "(?:";
            i += 3;
            return true;
        }
        return fail("the group \"" + in.substr(i, 3) + "\" is not a regular expression construct");
    }

    bool escape() {
        if (i + 1 >= in.size()) return fail("it ends with a lone backslash");
        const char c = in[i + 1];
        i += 2;
        switch (c) {
            case 'd':
            case 'D':
            case 'w':
            case 'W':
            case 't':
            case 'n':
            case 'r':
            case 'f':
                result += '\\';
                result += c;
                return true;
            case 'v':
                result += "\\x0B";
                return true;
            case 'b':
                result += inClass ? "\\x08" : "\\b";
                return true;
            case 'B':
                if (inClass) return fail("\\B inside a character class is not valid");
                result += "\\B";
                return true;
            case 's':
                result += inClass ? std::string(kEcmaSpace) : "[" + std::string(kEcmaSpace) + "]";
                return true;
            case 'S':
                if (inClass) return fail("\\S inside a character class is not supported");
                result += "[^" + std::string(kEcmaSpace) + "]";
                return true;
            case '0':
                if (i < in.size() && in[i] >= '0' && in[i] <= '9')
                    return fail("octal escapes are not supported");
                result += "\\x00";
                return true;
            case 'u':
                return unicodeEscape();
            case 'x': {
                std::uint32_t value = 0;
                if (readHex(in, i, 2, value)) {
                    result += codePoint(value);
                    i += 2;
                } else {
                    result += 'x';
                }
                return true;
            }
            case 'c':
                if (i < in.size() && isAsciiLetter(in[i])) {
                    result += codePoint(static_cast<std::uint32_t>(in[i]) % 32);
                    ++i;
                } else {
                    result += "\\\\c";
                }
                return true;
            case 'k':
                if (i < in.size() && in[i] == '<') return fail("back-references are not supported");
                result += 'k';
                return true;
            case 'p':
            case 'P':
                // Unicode properties: RE2 knows the general categories and scripts.
                result += '\\';
                result += c;
                return true;
            default:
                break;
        }
        if (c >= '1' && c <= '9') {
            if (inClass) return fail("octal escapes are not supported");
            return fail("back-references are not supported");
        }
        if (isAsciiLetter(c)) {
            // An identity escape: the letter itself.
            result += c;
            return true;
        }
        if (static_cast<unsigned char>(c) >= 0x80) {
            // A UTF-8 character, taken literally.
            result += c;
            while (i < in.size() && (static_cast<unsigned char>(in[i]) & 0xC0) == 0x80)
                result += in[i++];
            return true;
        }
        result += '\\';
        result += c;
        return true;
    }

    bool unicodeEscape() {
        std::uint32_t value = 0;
        if (i < in.size() && in[i] == '{') {
            const auto close = in.find('}', i);
            if (close == std::string::npos || close == i + 1 || close - i - 1 > 6 ||
                !readHex(in, i + 1, close - i - 1, value) || value > 0x10FFFF) {
                result += 'u';
                return true;
            }
            i = close + 1;
        } else if (readHex(in, i, 4, value)) {
            i += 4;
            std::uint32_t low = 0;
            if (value >= 0xD800 && value <= 0xDBFF && in.compare(i, 2, "\\u") == 0 &&
                readHex(in, i + 2, 4, low) && low >= 0xDC00 && low <= 0xDFFF) {
                value = 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
                i += 6;
            }
            if (value >= 0xD800 && value <= 0xDFFF)
                return fail("a lone surrogate cannot match UTF-8 text");
        } else {
            result += 'u';
            return true;
        }
        result += codePoint(value);
        return true;
    }

    const std::string& in;
    std::size_t i = 0;
    bool inClass = false;
    std::string result;
    std::string problem;
};

}  // namespace

bool translateEcmaRegex(const std::string& pattern, std::string& translated, std::string& error) {
    return Translator(pattern).run(translated, error);
}

EcmaRegexCompilation compileEcmaRegex(const std::string& pattern) {
    EcmaRegexCompilation compilation;
    std::string translated;
    if (!translateEcmaRegex(pattern, translated, compilation.error)) return compilation;
    RE2::Options options;
    options.set_log_errors(false);
    options.set_encoding(RE2::Options::EncodingUTF8);
    options.set_dot_nl(false);
    auto regex = std::make_shared<const RE2>(translated, options);
    if (!regex->ok()) {
        compilation.error = regex->error();
        return compilation;
    }
    compilation.regex = std::move(regex);
    return compilation;
}

bool ecmaRegexSearch(const RE2& regex, const std::string& text) {
    return RE2::PartialMatch(text, regex);
}

}  // namespace OrvexConfigValidate
