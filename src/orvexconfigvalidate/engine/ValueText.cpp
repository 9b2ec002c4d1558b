#include "engine/ValueText.hpp"

#include <cmath>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/Text.hpp>

#include "engine/JsonNumbers.hpp"
#include "json/Decimal.hpp"
#include "json/WrittenNumbers.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

const char kEllipsis[] = "\xE2\x80\xA6";

// Writes into `out` while counting code points; refuses more once full.
class Writer {
  public:
    explicit Writer(std::size_t most) : limit(most) {}

    bool full() const { return cut; }

    void raw(const std::string& text) {
        for (std::size_t i = 0; i < text.size() && !cut; ++i) put(text[i]);
    }

    // A JSON string body: quotes, backslashes and control characters escaped,
    // bytes that are not UTF-8 shown as \xNN.
    void stringBody(const std::string& text) {
        std::size_t i = 0;
        while (i < text.size() && !cut) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c == '"' || c == '\\') {
                raw(std::string("\\") + static_cast<char>(c));
                ++i;
            } else if (c < 0x20 || c == 0x7f) {
                raw(controlEscape(c));
                ++i;
            } else if (c < 0x80) {
                put(static_cast<char>(c));
                ++i;
            } else {
                const std::size_t length = utf8SequenceLength(text, i, Utf8Check::Shape);
                if (length == 0) {
                    raw(hexEscape(c));
                    ++i;
                } else {
                    if (!room()) return;
                    out.append(text, i, length);
                    ++count;
                    i += length;
                }
            }
        }
    }

    std::string finish() {
        if (cut) out += kEllipsis;
        return std::move(out);
    }

  private:
    bool room() {
        if (count >= limit) cut = true;
        return !cut;
    }

    void put(char c) {
        if (!room()) return;
        out += c;
        ++count;
    }

    static std::string controlEscape(unsigned char c) {
        switch (c) {
            case '\n':
                return "\\n";
            case '\t':
                return "\\t";
            case '\r':
                return "\\r";
            case '\b':
                return "\\b";
            case '\f':
                return "\\f";
            default: {
                static const char kHex[] = "0123456789abcdef";
                return std::string("\\u00") + kHex[c >> 4] + kHex[c & 15];
            }
        }
    }

    static std::string hexEscape(unsigned char c) {
        static const char kHex[] = "0123456789abcdef";
        return std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
    }

    std::size_t limit;
    std::size_t count = 0;
    bool cut = false;
    std::string out;
};

// A double from 2^53 to 2^64 holding an integer shows as that integer,
// which is what it is compared as: 18446744073709551616, not
// 1.8446744073709552e+19.
std::string numberText(const json& value) {
    const double d = std::fabs(value.get<double>());
    Decimal exact;
    if (!value.is_number_float() || !(d >= 9007199254740992.0 && d <= 18446744073709551616.0) ||
        !decimalOf(value, exact) || !isIntegral(exact))
        return value.dump();
    std::string text = exact.negative ? "-" : "";
    text += exact.digits;
    text.append(static_cast<std::size_t>(exact.exponent), '0');
    return text;
}

void writeScalar(Writer& writer, const json& value) {
    if (value.is_string()) {
        writer.raw("\"");
        writer.stringBody(value.get_ref<const std::string&>());
        writer.raw("\"");
    } else if (const WrittenNumber* written = WrittenNumbersInUse::lookUp(value)) {
        writer.raw(written->text);
    } else if (value.is_number()) {
        writer.raw(numberText(value));
    } else if (value.is_boolean() || value.is_null()) {
        writer.raw(value.dump());
    } else {
        writer.raw("<binary>");
    }
}

}  // namespace

std::string shortValueText(const json& value, std::size_t limit) {
    Writer writer(limit);
    // Each entry is a value still to write, or a closing bracket (value null).
    struct Pending {
        const json* value;
        const std::string* key;
        const char* text;
    };
    std::vector<Pending> pending{{&value, nullptr, nullptr}};
    while (!pending.empty() && !writer.full()) {
        const Pending next = pending.back();
        pending.pop_back();
        if (next.text != nullptr) {
            writer.raw(next.text);
            continue;
        }
        if (next.key != nullptr) {
            writer.raw("\"");
            writer.stringBody(*next.key);
            writer.raw("\":");
        }
        const json& current = *next.value;
        if (!current.is_structured()) {
            writeScalar(writer, current);
            continue;
        }
        const bool object = current.is_object();
        writer.raw(object ? "{" : "[");
        pending.push_back({nullptr, nullptr, object ? "}" : "]"});
        // Only as many children as could still show are queued: each takes
        // at least one code point.
        std::vector<Pending> children;
        std::size_t budget = limit;
        for (auto it = current.begin(); it != current.end() && budget > 0; ++it, --budget) {
            if (!children.empty()) children.push_back({nullptr, nullptr, ","});
            children.push_back({&it.value(), object ? &it.key() : nullptr, nullptr});
        }
        for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(*it);
    }
    return writer.finish();
}

std::string quotedText(const std::string& text, std::size_t limit) {
    Writer writer(limit);
    writer.raw("\"");
    writer.stringBody(text);
    writer.raw("\"");
    return writer.finish();
}

std::string jsonTypeName(const json& value) {
    switch (value.type()) {
        case json::value_t::null:
            return "null";
        case json::value_t::boolean:
            return "boolean";
        case json::value_t::string:
            return "string";
        case json::value_t::array:
            return "array";
        case json::value_t::object:
            return "object";
        case json::value_t::number_integer:
        case json::value_t::number_unsigned:
            return "integer";
        case json::value_t::number_float:
            return isIntegralNumber(value) ? "integer" : "number";
        default:
            return "value";
    }
}

}  // namespace OrvexConfigValidate
