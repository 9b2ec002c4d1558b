#include "json/JsonReader.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include <orvexconfigvalidate/Text.hpp>

#include "json/LeanDocument.hpp"
#include "json/PointerText.hpp"
#include "json/StructuralScan.hpp"

namespace OrvexConfigValidate {

namespace {

// Names of an open object's members -> their first and latest entry in
// Reader::members_.
using Occurrences = std::unordered_map<std::string_view, std::pair<std::size_t, std::size_t>>;

// An open object or array.
struct Frame {
    std::uint32_t node = 0;
    bool object = false;
    bool empty = true;  // no member or element read yet
    // Where this object's members start in Reader::members_.
    std::size_t membersFrom = 0;
    // Length of Reader::openPointer_ before this container's own token.
    std::size_t pointerFrom = 0;
    // Built on the first duplicate, so that objects without one pay
    // nothing, and also once the object outgrows a short scan of its names.
    std::unique_ptr<Occurrences> occurrences;
    std::size_t elements = 0;  // of an array, read so far
};

// A member of an open object and its node, kept until the object closes and
// its members' ranks are known.
struct MemberEntry {
    std::uint32_t node;
    std::string_view name;  // in the text or the unescaped strings
};

struct SyntaxError {
    std::size_t offset;
    std::string message;
};

struct Duplicate {
    std::string pointer;
    std::string name;
    std::uint32_t later;  // node of the value kept
    std::uint32_t first;  // node of the first occurrence
};

// Duplicates past the pointer budget: counted, and the first one placed.
struct UnlistedDuplicates {
    std::size_t count = 0;
    std::uint32_t first = 0;  // node of the first one's value kept
};

// Stable, as the ranks of repeated names need. Most objects have a few
// members: sorted in place, without the buffer std::stable_sort takes for
// every call.
template <typename Iterator>
void sortByName(Iterator first, Iterator last) {
    constexpr std::ptrdiff_t kInPlace = 24;
    if (last - first > kInPlace) {
        std::stable_sort(first, last, [](const MemberEntry& a, const MemberEntry& b) {
            return a.name < b.name;
        });
        return;
    }
    for (Iterator next = first; next != last; ++next) {
        MemberEntry entry = *next;
        Iterator hole = next;
        for (; hole != first && entry.name < (hole - 1)->name; --hole) *hole = *(hole - 1);
        *hole = entry;
    }
}

// Each duplicate's pointer is as long as its depth, so a deeply nested text
// with a duplicate at every level would need pointers quadratic in its size.
// Pointers are listed up to a budget linear in the text; no ordinary file
// comes near it.
std::size_t pointerBudget(std::size_t textSize) {
    return 4 * textSize + (std::size_t{1} << 20);
}

class Reader {
  public:
    // Strings with escapes go to `strings`.
    Reader(std::string_view text, TextIndex& index, UnescapedStrings& strings)
        : text_(text), index_(index), budget_(pointerBudget(text.size())), strings_(strings) {}

    // Throws SyntaxError.
    void read() {
        if (startsWithByteOrderMark(text_)) {
            pos_ = kByteOrderMark.size();
            index_.lineStarts[0] = static_cast<std::uint32_t>(pos_);
        }
        skipWhitespace();
        beginValue(TextNode::kNoKey, {});
        while (!stack_.empty()) afterValue();
        skipWhitespace();
        if (pos_ < text_.size()) fail("the end of the text after the value");
    }

    const std::vector<Duplicate>& duplicates() const { return duplicates_; }
    const UnlistedDuplicates& unlisted() const { return unlisted_; }

  private:
    [[noreturn]] void fail(const std::string& expected) const { failAt(pos_, expected); }

    [[noreturn]] void failAt(std::size_t offset, const std::string& expected) const {
        throw SyntaxError{offset, "expected " + expected + ", found " + describeAt(offset)};
    }

    std::string describeAt(std::size_t offset) const {
        if (offset >= text_.size()) return "the end of the text";
        const auto byte = static_cast<unsigned char>(text_[offset]);
        if (byte >= 0x21 && byte < 0x7F) return std::string("'") + static_cast<char>(byte) + "'";
        if (byte == ' ') return "a space";
        static const char* const kHex = "0123456789abcdef";
        return std::string("byte 0x") + kHex[byte >> 4] + kHex[byte & 0xF];
    }

    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    bool atEnd() const { return pos_ >= text_.size(); }

    void skipWhitespace() {
        for (;;) {
            pos_ = skipBlanks(text_, pos_);
            const std::size_t lineBreak = lineBreakAt(text_, pos_);
            if (lineBreak == 0) return;
            pos_ += lineBreak;
            index_.lineStarts.push_back(static_cast<std::uint32_t>(pos_));
        }
    }

    std::uint32_t newNode(std::uint32_t keyStart) {
        TextNode node;
        node.start = static_cast<std::uint32_t>(pos_);
        node.keyField = keyStart;
        index_.nodes.push_back(node);
        return static_cast<std::uint32_t>(index_.nodes.size() - 1);
    }

    void finishNode(std::uint32_t node) {
        index_.nodes[node].end = static_cast<std::uint32_t>(pos_);
    }

    // With the cursor on the first byte of a value: reads a scalar whole, or
    // opens a container (its members are read by afterValue).
    void beginValue(std::uint32_t keyStart, std::string_view name) {
        const std::uint32_t node = newNode(keyStart);
        if (keyStart != TextNode::kNoKey) noteMember(stack_.back(), node, name);
        JsonKind kind = JsonKind::Null;
        switch (peek()) {
            case '{':
            case '[':
                index_.nodes[node].setKind(peek() == '{' ? JsonKind::Object : JsonKind::Array);
                openContainer(node);
                return;
            case '"':
                readLeanString();
                kind = JsonKind::String;
                break;
            case 't':
                readLiteral("true");
                kind = JsonKind::Boolean;
                break;
            case 'f':
                readLiteral("false");
                kind = JsonKind::Boolean;
                break;
            case 'n':
                readLiteral("null");
                break;
            default:
                if (peek() == '-' || (peek() >= '0' && peek() <= '9')) {
                    kind = readNumber();
                    break;
                }
                fail("a value (object, array, string, number, true, false or null)");
        }
        index_.nodes[node].setKind(kind);
        finishNode(node);
    }

    void openContainer(std::uint32_t node) {
        const bool object = peek() == '{';
        ++pos_;
        const std::size_t pointerFrom = openPointer_.size();
        if (!stack_.empty()) {
            // An open container's own entry is the last of its parent's.
            const Frame& parent = stack_.back();
            if (parent.object) {
                appendPointerToken(openPointer_, members_.back().name);
            } else {
                appendPointerToken(openPointer_, std::to_string(parent.elements - 1));
            }
        }
        // Its content is read by the loop in read(), never by recursion.
        stack_.push_back(Frame{node, object, true, members_.size(), pointerFrom, nullptr, 0});
    }

    void closeContainer() {
        Frame& frame = stack_.back();
        finishNode(frame.node);
        if (frame.object) rankNames(frame);
        openPointer_.resize(frame.pointerFrom);
        stack_.pop_back();
    }

    // Gives each member node of a closed object its member's place in the
    // object's key order: the ranks of the names in byte order, a repeated
    // name once.
    void rankNames(const Frame& frame) {
        const auto first = members_.begin() + static_cast<std::ptrdiff_t>(frame.membersFrom);
        sortByName(first, members_.end());
        std::uint32_t rank = 0;
        for (auto it = first; it != members_.end(); ++it) {
            if (it != first && it->name != (it - 1)->name) ++rank;
            index_.nodes[it->node].rank = rank;
        }
        members_.erase(first, members_.end());
    }

    // Inside the innermost open container, at its start or after a value: a
    // separator and the next member or element, or the container's end.
    void afterValue() {
        Frame& frame = stack_.back();
        skipWhitespace();
        const char close = frame.object ? '}' : ']';
        if (frame.empty && peek() != close) {
            frame.empty = false;
            beginNext(frame);
        } else if (!frame.empty && peek() == ',') {
            ++pos_;
            skipWhitespace();
            beginNext(frame);
        } else if (peek() == close) {
            ++pos_;
            closeContainer();
        } else {
            fail(frame.object ? "',' or '}' after an object member"
                              : "',' or ']' after an array element");
        }
    }

    void beginNext(Frame& frame) {
        if (frame.object) {
            beginMember();
            return;
        }
        ++frame.elements;
        beginValue(TextNode::kNoKey, {});
    }

    void beginMember() {
        if (peek() != '"') fail("a member name in double quotes");
        const auto keyStart = static_cast<std::uint32_t>(pos_);
        const std::string_view name = readLeanString();
        skipWhitespace();
        if (peek() != ':') fail("':' after the member name");
        ++pos_;
        skipWhitespace();
        Frame& frame = stack_.back();
        // The later value is the one kept, as nlohmann::json::parse does.
        if (seen(frame, name)) noteDuplicate(frame, name);
        beginValue(keyStart, name);
    }

    // Whether the open object has a member named `name`.
    bool seen(Frame& frame, std::string_view name) {
        static constexpr std::size_t kScanned = 8;
        if (!frame.occurrences && members_.size() - frame.membersFrom > kScanned) {
            buildOccurrences(frame);
        }
        if (frame.occurrences) return frame.occurrences->count(name) != 0;
        for (std::size_t entry = frame.membersFrom; entry < members_.size(); ++entry) {
            if (members_[entry].name == name) return true;
        }
        return false;
    }

    void noteMember(Frame& frame, std::uint32_t node, std::string_view name) {
        members_.push_back({node, name});
        if (frame.occurrences) record(frame, members_.size() - 1);
    }

    void record(Frame& frame, std::size_t entry) {
        const auto [it, first] =
            frame.occurrences->emplace(members_[entry].name, std::make_pair(entry, entry));
        if (!first) it->second.second = entry;
    }

    void buildOccurrences(Frame& frame) {
        frame.occurrences = std::make_unique<Occurrences>();
        for (std::size_t entry = frame.membersFrom; entry < members_.size(); ++entry) {
            record(frame, entry);
        }
    }

    void noteDuplicate(Frame& frame, std::string_view name) {
        if (!frame.occurrences) buildOccurrences(frame);
        const auto [first, latest] = frame.occurrences->at(name);
        // Only the newest occurrence names the value the document holds.
        index_.nodes[members_[latest].node].keyField |= TextNode::kShadowedBit;
        const auto later = static_cast<std::uint32_t>(index_.nodes.size());
        // Priced before it is built; escapes at most double a name.
        const std::size_t price = openPointer_.size() + 1 + 2 * name.size();
        if (unlisted_.count > 0 || price > budget_) {
            if (unlisted_.count++ == 0) unlisted_.first = later;
            return;
        }
        budget_ -= price;
        std::string pointer = openPointer_;
        appendPointerToken(pointer, name);
        duplicates_.push_back({std::move(pointer), std::string(name), later, members_[first].node});
    }

    void readLiteral(std::string_view word) {
        for (const char c : word) {
            if (peek() != c) fail(std::string("'") + std::string(word) + "'");
            ++pos_;
        }
    }

    std::size_t digits() {
        const std::size_t from = pos_;
        pos_ = skipDigits(text_, pos_);
        return pos_ - from;
    }

    // Returns the kind the number is held as.
    JsonKind readNumber() {
        const std::size_t from = pos_;
        const bool negative = peek() == '-';
        if (negative) ++pos_;
        if (peek() == '0') {
            ++pos_;
        } else if (digits() == 0) {
            fail("a digit after '-'");
        }
        if (peek() == '.') {
            ++pos_;
            if (digits() == 0) fail("a digit after the decimal point");
        }
        if (peek() == 'e' || peek() == 'E') {
            ++pos_;
            if (peek() == '+' || peek() == '-') ++pos_;
            if (digits() == 0) fail("a digit in the exponent");
        }
        const std::string_view token = text_.substr(from, pos_ - from);
        const NumberValue value = numberValue(token);
        if (value.type == NumberValue::Type::Unsigned) return JsonKind::Unsigned;
        if (value.type == NumberValue::Type::Signed) return JsonKind::Integer;
        if (!std::isfinite(value.doubleValue)) {
            failAt(from, "a number within the range of a double");
        }
        return JsonKind::Float;
    }

    // Length of the well-formed UTF-8 sequence at pos_, or 0.
    std::size_t utf8Length() const { return utf8SequenceLength(text_, pos_); }

    // Checks the string at the cursor and returns its unescaped text, kept
    // in strings_ when it holds an escape (rare enough
    // to read twice) and else a view of the text.
    std::string_view readLeanString() {
        const std::size_t quote = pos_;
        if (!readString(nullptr)) return text_.substr(quote + 1, pos_ - quote - 2);
        pos_ = quote;
        strings_.quotes.push_back(static_cast<std::uint32_t>(quote));
        std::string& out = strings_.values.emplace_back();
        readString(&out);
        return out;
    }

    // With the cursor on the opening quote: appends the unescaped string to
    // `out` when set. Returns whether the string holds an escape.
    bool readString(std::string* out) {
        ++pos_;
        bool escaped = false;
        for (;;) {
            const std::size_t runStart = pos_;
            pos_ = skipStringContent(text_, pos_);
            if (out != nullptr) out->append(text_.data() + runStart, pos_ - runStart);
            if (atEnd()) fail("'\"' to close the string");
            const auto byte = static_cast<unsigned char>(text_[pos_]);
            if (byte == '"') {
                ++pos_;
                return escaped;
            }
            if (byte < 0x20)
                fail("a character or '\"' in a string (control bytes must be escaped)");
            if (byte >= 0x80) {
                const std::size_t length = utf8Length();
                if (length == 0) fail("UTF-8 text in a string");
                if (out != nullptr) out->append(text_.data() + pos_, length);
                pos_ += length;
                continue;
            }
            escaped = true;
            std::string ignored;
            readEscape(out != nullptr ? *out : ignored);
        }
    }

    void readEscape(std::string& out) {
        ++pos_;  // the backslash
        const char c = peek();
        switch (c) {
            case '"':
            case '\\':
            case '/':
                out += c;
                break;
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
                ++pos_;
                appendCodePoint(out, readUnicodeEscape());
                return;
            default:
                fail("an escape (\\\", \\\\, \\/, \\b, \\f, \\n, \\r, \\t or \\u) after '\\'");
        }
        ++pos_;
    }

    std::uint32_t readHex4() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = peek();
            const int digit = hexDigitValue(c);
            if (digit < 0) fail("four hexadecimal digits after '\\u'");
            value = value * 16 + static_cast<std::uint32_t>(digit);
            ++pos_;
        }
        return value;
    }

    // With the cursor after "\u".
    std::uint32_t readUnicodeEscape() {
        const std::size_t escapeStart = pos_ - 2;
        const std::uint32_t unit = readHex4();
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            failAt(escapeStart, "a high surrogate (\\uD800-\\uDBFF) before a low surrogate");
        }
        if (unit < 0xD800 || unit > 0xDBFF) return unit;
        if (text_.substr(pos_, 2) != "\\u")
            fail("'\\u' and a low surrogate after a high surrogate");
        pos_ += 2;
        const std::size_t lowStart = pos_;
        const std::uint32_t low = readHex4();
        if (low < 0xDC00 || low > 0xDFFF) failAt(lowStart, "a low surrogate (DC00-DFFF)");
        return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }

    static void appendCodePoint(std::string& out, std::uint32_t codePoint) {
        char bytes[4];
        out.append(bytes, encodeUtf8(codePoint, bytes));
    }

    std::string_view text_;
    TextIndex& index_;
    std::size_t pos_ = 0;
    std::vector<Frame> stack_;
    std::vector<MemberEntry> members_;
    std::vector<Duplicate> duplicates_;
    std::string openPointer_;  // the JSON pointer of the innermost open container
    std::size_t budget_;       // pointer bytes still to be spent on duplicates
    UnlistedDuplicates unlisted_;
    UnescapedStrings& strings_;
};

// The integer a token without fraction or exponent names, if 64 bits hold it.
bool readInteger(std::string_view token, NumberValue& out) {
    const bool negative = token[0] == '-';
    std::uint64_t magnitude = 0;
    for (std::size_t i = negative ? 1 : 0; i < token.size(); ++i) {
        if (token[i] < '0' || token[i] > '9') return false;
        const auto digit = static_cast<std::uint64_t>(token[i] - '0');
        if (magnitude > (UINT64_MAX - digit) / 10) return false;
        magnitude = magnitude * 10 + digit;
    }
    if (!negative) {
        out.type = NumberValue::Type::Unsigned;
        out.unsignedValue = magnitude;
        return true;
    }
    if (magnitude > static_cast<std::uint64_t>(INT64_MAX) + 1) return false;
    out.type = NumberValue::Type::Signed;
    out.signedValue = magnitude == static_cast<std::uint64_t>(INT64_MAX) + 1
                          ? INT64_MIN
                          : -static_cast<std::int64_t>(magnitude);
    return true;
}

Issue parseError(const TextIndex& index, std::size_t offset, std::string message) {
    Issue issue;
    issue.severity = Severity::Error;
    issue.path = "/";
    issue.code = IssueCode::kParseError;
    issue.message = std::move(message);
    issue.location = index.at(offset, 0);
    return issue;
}

void reportDuplicates(const std::vector<Duplicate>& duplicates, const TextIndex& index,
                      std::vector<Issue>& issues) {
    for (const Duplicate& duplicate : duplicates) {
        Issue issue;
        issue.severity = Severity::Warning;
        issue.path = duplicate.pointer;
        issue.pointer = duplicate.pointer;
        issue.code = IssueCode::kDuplicateKey;
        issue.related = index.keyOf(index.nodes[duplicate.first]);
        issue.message = duplicateKeyMessage(duplicate.name, issue.related.line);
        issue.location = index.keyOf(index.nodes[duplicate.later]);
        issues.push_back(std::move(issue));
    }
}

void reportUnlisted(const UnlistedDuplicates& unlisted, const TextIndex& index,
                    std::vector<Issue>& issues) {
    if (unlisted.count == 0) return;
    Issue issue;
    issue.severity = Severity::Warning;
    issue.path = "/";
    issue.code = IssueCode::kDuplicateKey;
    issue.message = std::to_string(unlisted.count) +
                    " more members are written twice from here on; they are not listed, as "
                    "their pointers would outgrow the text";
    issue.location = index.keyOf(index.nodes[unlisted.first]);
    issues.push_back(std::move(issue));
}

}  // namespace

NumberValue numberValue(std::string_view token) {
    NumberValue value;
    if (readInteger(token, value)) return value;
    value.type = NumberValue::Type::Double;
    value.doubleValue = doubleOf(token);
    return value;
}

double doubleOf(std::string_view token) {
    // strtod needs a terminating NUL: a copy, on the stack for the usual
    // short token.
    std::array<char, 64> buffer{};
    if (token.size() < buffer.size()) {
        std::copy(token.begin(), token.end(), buffer.begin());
        return std::strtod(buffer.data(), nullptr);
    }
    return std::strtod(std::string(token).c_str(), nullptr);
}

std::string duplicateKeyMessage(std::string_view name, std::size_t firstLine) {
    return "member \"" + std::string(name) + "\" is also set at line " + std::to_string(firstLine) +
           "; the later value is the one used";
}

namespace {

Issue tooLarge(const TextIndex& index, std::size_t size) {
    return parseError(index, 0,
                      "expected a text of at most " + std::to_string(kMaxTextSize) +
                          " bytes, found " + std::to_string(size) + " bytes");
}

// Reads the text; false after a parse error.
bool runReader(Reader& reader, TextIndex& index, std::vector<Issue>& issues) {
    try {
        reader.read();
    } catch (const SyntaxError& error) {
        index.nodes.clear();
        issues.push_back(parseError(index, error.offset, error.message));
        return false;
    }
    reportDuplicates(reader.duplicates(), index, issues);
    reportUnlisted(reader.unlisted(), index, issues);
    return true;
}

}  // namespace

bool readJsonLean(std::string_view text, TextIndex& index, UnescapedStrings& strings,
                  std::vector<Issue>& issues) {
    if (text.size() > kMaxTextSize) {
        issues.push_back(tooLarge(index, text.size()));
        return false;
    }
    Reader reader(text, index, strings);
    if (runReader(reader, index, issues)) return true;
    strings = UnescapedStrings();
    return false;
}

}  // namespace OrvexConfigValidate
