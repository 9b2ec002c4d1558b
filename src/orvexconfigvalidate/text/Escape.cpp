#include <orvexconfigvalidate/Escape.hpp>

#include <algorithm>
#include <cstddef>
#include <iterator>

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

// One character that is not printable ASCII, at text[at]; returns its length.
std::size_t appendOther(std::string& out, std::string_view text, std::size_t at,
                        LineBreaks lineBreaks) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const std::size_t length = utf8SequenceLength(text, at);
    if (length == 0) {
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
        return 1;
    }
    if ((byte < 0x20 || byte == 0x7F) &&
        !(lineBreaks == LineBreaks::Keep && (byte == '\t' || byte == '\n' || byte == '\r'))) {
        appendCodeEscape(out, byte);
        return 1;
    }
    if (byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0) {
        // U+0080 to U+009F: C1 controls, which some terminals obey.
        appendCodeEscape(out, static_cast<unsigned char>(text[at + 1]));
        return 2;
    }
    if (isXmlNoncharacter(text, at, length)) {
        appendCodeEscape(out, static_cast<unsigned char>(text[at + 2]) == 0xBE ? 0xFFFE : 0xFFFF);
        return length;
    }
    out.append(text, at, length);
    return length;
}

std::string escapeWorkflow(std::string_view text, bool property) {
    std::string out;
    for (const char c : printable(text, LineBreaks::Keep)) {
        if (c == '%') {
            out += "%25";
        } else if (c == '\r') {
            out += "%0D";
        } else if (c == '\n') {
            out += "%0A";
        } else if (property && c == ':') {
            out += "%3A";
        } else if (property && c == ',') {
            out += "%2C";
        } else {
            out += c;
        }
    }
    return out;
}

// How a byte is written in a git-quoted name: 0 as it is, 1 as an octal
// escape, else the letter after a backslash.
char gitEscapeOf(unsigned char byte) {
    constexpr std::string_view kNamed = "\a\b\t\n\v\f\r\"\\";
    constexpr std::string_view kLetters = "abtnvfr\"\\";
    const std::size_t named = kNamed.find(static_cast<char>(byte));
    if (named != std::string_view::npos) return kLetters[named];
    return byte < 0x20 || byte >= 0x7f ? 1 : 0;
}

// Mermaid reads entity codes in quoted labels: a quote, "&", "#" or an angle
// bracket written plainly would end or change the label, and a "%%" starts a
// directive ("%%{init: ...}%%", read anywhere in the text, even inside a
// label: it restyles the whole diagram) or a comment. Before that it drops
// the last ";" of a line that reads like a style statement ("style" or
// "classDef" ... ":" ... "#"), so those words start with a code. And it takes
// U+FB02 and U+00B6 for stand-ins of "&" and ";" even in the SVG it writes,
// where no code can hide them: they are shown escaped, as control
// characters are.
struct MermaidCode {
    std::string_view plain;
    const char* code;
};

constexpr MermaidCode kMermaidCodes[] = {
    {"\"", "#quot;"},
    {"&", "#38;"},
    {"#", "#35;"},
    {"%", "#37;"},
    {"<", "#lt;"},
    {">", "#gt;"},
    {"style", "#115;tyle"},
    {"classDef", "#99;lassDef"},
    {"\xEF\xAC\x82", "\\ufb02"},
    {"\xC2\xB6", "\\u00b6"},
};

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
        i += appendOther(out, text, i, lineBreaks);
    }
    return out;
}

std::string escapeXml(std::string_view text, bool attribute) {
    std::string out;
    for (const char c : printable(text, LineBreaks::Keep)) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += attribute ? "&quot;" : "\"";
                break;
            case '\t':
                out += attribute ? "&#9;" : "\t";
                break;
            case '\n':
                out += attribute ? "&#10;" : "\n";
                break;
            case '\r':
                // A raw CR is turned into LF by every XML parser.
                out += "&#13;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string escapeWorkflowData(std::string_view text) {
    return escapeWorkflow(text, false);
}

std::string escapeWorkflowProperty(std::string_view text) {
    return escapeWorkflow(text, true);
}

std::string gitQuoted(std::string_view name) {
    const bool plain = std::all_of(name.begin(), name.end(), [](char c) {
        return gitEscapeOf(static_cast<unsigned char>(c)) == 0;
    });
    if (plain) return std::string(name);
    std::string out = "\"";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const char escape = gitEscapeOf(byte);
        if (escape == 0) {
            out += c;
        } else if (escape == 1) {
            out +=
                {'\\', static_cast<char>('0' + (byte >> 6)),
                 static_cast<char>('0' + ((byte >> 3) & 7)), static_cast<char>('0' + (byte & 7))};
        } else {
            out += {'\\', escape};
        }
    }
    return out + '"';
}

std::string dotLabelText(std::string_view text) {
    std::string out;
    for (const char c : printable(text)) {
        if (c == '"' || c == '\\') out.push_back('\\');
        if (c == '&') {
            out += "&amp;";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string mermaidLabelText(std::string_view text) {
    const std::string plain = printable(text);
    const std::string_view rest(plain);
    std::string out;
    for (std::size_t i = 0; i < rest.size();) {
        const auto* code = std::find_if(std::begin(kMermaidCodes), std::end(kMermaidCodes),
                                        [&](const MermaidCode& each) {
                                            return rest.substr(i, each.plain.size()) == each.plain;
                                        });
        if (code == std::end(kMermaidCodes)) {
            out.push_back(rest[i++]);
            continue;
        }
        out += code->code;
        i += code->plain.size();
    }
    return out;
}

std::string markdownCode(std::string_view text) {
    const std::string shown = printable(text);
    std::size_t longest = 0;
    for (std::size_t i = 0, run = 0; i < shown.size(); ++i) {
        run = shown[i] == '`' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    const std::string fence(longest + 1, '`');
    // A span's content that starts or ends with a backtick, or starts and
    // ends with a space, loses one space each side when read: add them.
    const bool pad = shown.empty() || shown.front() == '`' || shown.back() == '`' ||
                     (shown.front() == ' ' && shown.back() == ' ');
    const char* space = pad ? " " : "";
    return fence + space + shown + space + fence;
}

}  // namespace OrvexConfigValidate
