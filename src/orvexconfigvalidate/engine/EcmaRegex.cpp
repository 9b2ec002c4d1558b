#include "engine/EcmaRegex.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <re2/re2.h>

#include <orvexconfigvalidate/Text.hpp>

namespace OrvexConfigValidate {
namespace {

struct Range {
    std::uint32_t first;
    std::uint32_t last;
};

constexpr std::uint32_t kLastCodePoint = 0x10FFFF;
constexpr std::uint32_t kFirstSurrogate = 0xD800;
constexpr std::uint32_t kLastSurrogate = 0xDFFF;

// ECMA-262 white space and line terminators, in order.
constexpr Range kEcmaSpace[] = {
    {0x09, 0x0D},     {0x20, 0x20},     {0xA0, 0xA0},     {0x1680, 0x1680}, {0x2000, 0x200A},
    {0x2028, 0x2029}, {0x202F, 0x202F}, {0x205F, 0x205F}, {0x3000, 0x3000}, {0xFEFF, 0xFEFF}};

// "." matches anything but a line terminator.
const char kEcmaDot[] = "[^\\n\\r\\x{2028}\\x{2029}]";

// RE2's own bound on a counted repeat, nested ones multiplied together.
constexpr int kRe2MaxRepeat = 1000;

bool readHex(const std::string& text, std::size_t at, std::size_t digits, std::uint32_t& value) {
    if (at + digits > text.size()) return false;
    value = 0;
    for (std::size_t k = 0; k < digits; ++k) {
        const int d = hexDigitValue(text[at + k]);
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

// Class items for the range. UTF-8 text holds no surrogate code points,
// so those are left out: a class that excludes only surrogates then
// matches every character, as it is meant to.
void addRange(std::string& items, std::uint32_t first, std::uint32_t last) {
    const auto add = [&items](std::uint32_t from, std::uint32_t to) {
        items += codePoint(from);
        if (to != from) items += "-" + codePoint(to);
    };
    if (first < kFirstSurrogate) add(first, std::min(last, kFirstSurrogate - 1));
    if (last > kLastSurrogate) add(std::max(first, kLastSurrogate + 1), last);
}

const std::string& spaceItems() {
    static const std::string items = [] {
        std::string text;
        for (const Range& range : kEcmaSpace) addRange(text, range.first, range.last);
        return text;
    }();
    return items;
}

// Everything but white space, spelled out: RE2 cannot negate a set inside
// a class.
const std::string& nonSpaceItems() {
    static const std::string items = [] {
        std::string text;
        std::uint32_t next = 0;
        for (const Range& range : kEcmaSpace) {
            if (range.first > next) addRange(text, next, range.first - 1);
            next = range.last + 1;
        }
        addRange(text, next, kLastCodePoint);
        return text;
    }();
    return items;
}

// One code point of a class, or a set written as RE2 class items.
struct ClassAtom {
    bool isSet = false;
    std::uint32_t value = 0;
    std::string items;
};

// The code point of the well-formed UTF-8 sequence at `at`, or false.
bool decodeUtf8(const std::string& text, std::size_t& at, std::uint32_t& value) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
    } else {
        return false;
    }
    if (at + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return false;
        value = (value << 6) | (next & 0x3Fu);
    }
    const std::uint32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < shortest[length] || value > kLastCodePoint) return false;
    at += length;
    return true;
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
        if (c == '[') return characterClass();
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

    // A whole class, read into ranges and sets and written anew: RE2 reads
    // "[:" as a POSIX class, cannot negate a set inside a class, and knows
    // no surrogates.
    bool characterClass() {
        ++i;
        const bool negated = i < in.size() && in[i] == '^';
        if (negated) ++i;
        std::string items;
        for (;;) {
            if (i >= in.size()) return fail("a character class is not closed");
            if (in[i] == ']') break;
            ClassAtom from;
            if (!classAtom(from)) return false;
            // "a-z" is a range; "-" next to a set or before "]" is itself.
            if (from.isSet || in.compare(i, 1, "-") != 0 || in.compare(i + 1, 1, "]") == 0 ||
                i + 1 >= in.size()) {
                addAtom(items, from);
                continue;
            }
            ++i;
            ClassAtom to;
            if (!classAtom(to)) return false;
            if (to.isSet) {
                addAtom(items, from);
                addRange(items, '-', '-');
                addAtom(items, to);
            } else if (to.value < from.value) {
                return fail("the class range " + codePoint(from.value) + "-" + codePoint(to.value) +
                            " is out of order");
            } else {
                addRange(items, from.value, to.value);
            }
        }
        ++i;
        if (items.empty()) {
            // "[]" matches nothing and "[^]" anything; RE2 spells neither.
            result += negated ? "(?s:.)" : "[^\\x00-\\x{10FFFF}]";
        } else {
            result += negated ? "[^" : "[";
            result += items;
            result += ']';
        }
        return true;
    }

    static void addAtom(std::string& items, const ClassAtom& atom) {
        if (atom.isSet) {
            items += atom.items;
        } else {
            addRange(items, atom.value, atom.value);
        }
    }

    bool classAtom(ClassAtom& atom) {
        if (in[i] == '\\') return classEscape(atom);
        const auto byte = static_cast<unsigned char>(in[i]);
        if (byte < 0x80) {
            atom.value = byte;
            ++i;
            return true;
        }
        if (!decodeUtf8(in, i, atom.value)) return fail("the pattern is not UTF-8 text");
        return true;
    }

    // An escape inside a class, with the cursor on the backslash.
    bool classEscape(ClassAtom& atom) {
        if (i + 1 >= in.size()) return fail("it ends with a lone backslash");
        const char c = in[i + 1];
        i += 2;
        switch (c) {
            case 'd':
            case 'D':
            case 'w':
            case 'W':
                atom.isSet = true;
                atom.items = std::string("\\") + c;
                return true;
            case 's':
            case 'S':
                atom.isSet = true;
                atom.items = c == 's' ? spaceItems() : nonSpaceItems();
                return true;
            case 'b':
                atom.value = 0x08;  // backspace, inside a class
                return true;
            case 'B':
                return fail("\\B inside a character class is not valid");
            case 'c':
                // Inside a class a digit or "_" may follow too; anything else
                // leaves the backslash to stand for itself.
                if (i < in.size() &&
                    (isAsciiLetter(in[i]) || in[i] == '_' || (in[i] >= '0' && in[i] <= '9'))) {
                    atom.value = static_cast<std::uint32_t>(in[i++]) % 32;
                } else {
                    atom.value = '\\';
                    --i;
                }
                return true;
            default:
                return characterEscape(c, atom.value);
        }
    }

    // An escape that stands for one character, with the cursor after it.
    // A lone surrogate comes back as itself.
    bool characterEscape(char c, std::uint32_t& value) {
        switch (c) {
            case 't':
                value = 0x09;
                return true;
            case 'n':
                value = 0x0A;
                return true;
            case 'v':
                value = 0x0B;
                return true;
            case 'f':
                value = 0x0C;
                return true;
            case 'r':
                value = 0x0D;
                return true;
            case '0':
                if (i < in.size() && in[i] >= '0' && in[i] <= '9')
                    return fail("octal escapes are not supported");
                value = 0;
                return true;
            case 'u':
                value = unicodeEscape();
                return true;
            case 'x':
                if (readHex(in, i, 2, value)) {
                    i += 2;
                } else {
                    value = 'x';
                }
                return true;
            default:
                break;
        }
        if (c >= '1' && c <= '9') return fail("octal escapes are not supported");
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            // An identity escape: the character itself ("\\p" is "p" without
            // the u flag).
            value = byte;
            return true;
        }
        --i;
        if (!decodeUtf8(in, i, value)) return fail("the pattern is not UTF-8 text");
        return true;
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
            case 'b':
            case 'B':
                result += '\\';
                result += c;
                return true;
            case 's':
                result += "[" + spaceItems() + "]";
                return true;
            case 'S':
                result += "[" + nonSpaceItems() + "]";
                return true;
            case 'c':
                if (i < in.size() && isAsciiLetter(in[i])) {
                    result += codePoint(static_cast<std::uint32_t>(in[i++]) % 32);
                } else {
                    result += "\\\\c";
                }
                return true;
            case 'k':
                if (i < in.size() && in[i] == '<') return fail("back-references are not supported");
                break;
            default:
                if (c >= '1' && c <= '9') return fail("back-references are not supported");
                break;
        }
        std::uint32_t value = 0;
        if (!characterEscape(c, value)) return false;
        if (value >= kFirstSurrogate && value <= kLastSurrogate)
            return fail("a lone surrogate cannot match UTF-8 text");
        result += codePoint(value);
        return true;
    }

    // With the cursor after "\\u": the code point of "\\uXXXX" (a
    // surrogate pair taken together), of "\\u{X...}", or "u" itself.
    std::uint32_t unicodeEscape() {
        std::uint32_t value = 0;
        if (i < in.size() && in[i] == '{') {
            const auto close = in.find('}', i);
            if (close == std::string::npos || close == i + 1 || close - i - 1 > 6 ||
                !readHex(in, i + 1, close - i - 1, value) || value > kLastCodePoint)
                return 'u';
            i = close + 1;
            return value;
        }
        if (!readHex(in, i, 4, value)) return 'u';
        i += 4;
        std::uint32_t low = 0;
        if (value >= 0xD800 && value <= 0xDBFF && in.compare(i, 2, "\\u") == 0 &&
            readHex(in, i + 2, 4, low) && low >= 0xDC00 && low <= 0xDFFF) {
            value = 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
            i += 6;
        }
        return value;
    }

    const std::string& in;
    std::size_t i = 0;
    std::string result;
    std::string problem;
};

// Why RE2 refused a translated pattern, in the schema author's terms.
std::string re2Problem(const RE2& regex) {
    if (regex.error_code() == RE2::ErrorRepeatSize) {
        int low = 0;
        int high = 0;
        const std::string& repeat = regex.error_arg();
        if (std::sscanf(repeat.c_str(), "{%d,%d}", &low, &high) == 2 && low > high)
            return "the counted repeat " + repeat + " has its bounds out of order";
        return "the counted repeat " + repeat + " goes past the regular expression engine's " +
               "limit of " + std::to_string(kRe2MaxRepeat) +
               " repetitions (counted repeats inside counted repeats multiply)";
    }
    if (regex.error_code() == RE2::ErrorPatternTooLarge) {
        return "it needs more than the " + std::to_string(regex.options().max_mem() >> 20) +
               " MiB of memory that the regular expression engine allows a pattern";
    }
    return regex.error();
}

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
        compilation.error = re2Problem(*regex);
        return compilation;
    }
    compilation.regex = std::move(regex);
    return compilation;
}

bool ecmaRegexSearch(const RE2& regex, std::string_view text) {
    return RE2::PartialMatch(re2::StringPiece(text.data(), text.size()), regex);
}

}  // namespace OrvexConfigValidate
