#include "engine/ValueText.hpp"

#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/Text.hpp>

#include "engine/JsonNumbers.hpp"
#include "json/Decimal.hpp"

namespace OrvexConfigValidate {
namespace {

const char kEllipsis[] = "\xE2\x80\xA6";

// Writes into `out` while counting code points; refuses more once full.
class Writer {
  public:
    explicit Writer(std::size_t most) : limit(most) {}

    bool full() const { return cut; }

    void raw(std::string_view text) {
        for (std::size_t i = 0; i < text.size() && !cut; ++i) put(text[i]);
    }

    // A JSON string body: quotes, backslashes and control characters escaped,
    // bytes that are not UTF-8 shown as \xNN.
    void stringBody(std::string_view text) {
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
                    out.append(text.substr(i, length));
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
std::string numberText(const nlohmann::json& value) {
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

// A number as its value shows it: as written when the text is known.
std::string numberText(const JsonView& value) {
    if (const nlohmann::json* held = value.json()) return numberText(*held);
    const std::string_view written = value.numberText();
    return written.empty() ? numberText(value.toJson()) : std::string(written);
}

void writeScalar(Writer& writer, const JsonView& value) {
    switch (value.kind()) {
        case JsonKind::String:
            writer.raw("\"");
            writer.stringBody(value.string());
            writer.raw("\"");
            return;
        case JsonKind::Integer:
        case JsonKind::Unsigned:
        case JsonKind::Float:
            writer.raw(numberText(value));
            return;
        case JsonKind::Boolean:
            writer.raw(value.boolean() ? "true" : "false");
            return;
        default:
            writer.raw(value.json() == nullptr || value.json()->is_null() ? "null" : "<binary>");
            return;
    }
}

}  // namespace

namespace {

// Each entry is a value still to write, or a text (a bracket, a comma).
struct Pending {
    JsonView value;
    std::string_view key;
    bool keyed;
    const char* text;
};

// Queues a container's children, separated by commas, to be written in
// order. Only as many as could still show are queued: each takes at least
// one code point.
void queueChildren(std::vector<Pending>& pending, const JsonView& container, std::size_t limit) {
    const bool object = container.isObject();
    std::vector<Pending> children;
    std::size_t budget = limit;
    const auto queue = [&](const JsonView& child, std::string_view key) {
        if (budget == 0) return false;
        --budget;
        if (!children.empty()) children.push_back({{}, {}, false, ","});
        children.push_back({child, key, object, nullptr});
        return true;
    };
    if (object) {
        for (const JsonView::Member member : container.members())
            if (!queue(member.value(), member.name())) break;
    } else {
        for (const JsonView element : container.elements())
            if (!queue(element, {})) break;
    }
    for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(*it);
}

}  // namespace

std::string shortValueText(JsonView value, std::size_t limit) {
    Writer writer(limit);
    std::vector<Pending> pending{{value, {}, false, nullptr}};
    while (!pending.empty() && !writer.full()) {
        const Pending next = pending.back();
        pending.pop_back();
        if (next.text != nullptr) {
            writer.raw(next.text);
            continue;
        }
        if (next.keyed) {
            writer.raw("\"");
            writer.stringBody(next.key);
            writer.raw("\":");
        }
        const JsonView current = next.value;
        if (!current.isStructured()) {
            writeScalar(writer, current);
            continue;
        }
        const bool object = current.isObject();
        writer.raw(object ? "{" : "[");
        pending.push_back({{}, {}, false, object ? "}" : "]"});
        queueChildren(pending, current, limit);
    }
    return writer.finish();
}

std::string quotedText(std::string_view text, std::size_t limit) {
    Writer writer(limit);
    writer.raw("\"");
    writer.stringBody(text);
    writer.raw("\"");
    return writer.finish();
}

std::string jsonTypeName(JsonView value) {
    switch (value.kind()) {
        case JsonKind::Boolean:
            return "boolean";
        case JsonKind::String:
            return "string";
        case JsonKind::Array:
            return "array";
        case JsonKind::Object:
            return "object";
        case JsonKind::Integer:
        case JsonKind::Unsigned:
            return "integer";
        case JsonKind::Float:
            return isIntegralNumber(value) ? "integer" : "number";
        default:
            return value.json() == nullptr || value.json()->is_null() ? "null" : "value";
    }
}

}  // namespace OrvexConfigValidate
