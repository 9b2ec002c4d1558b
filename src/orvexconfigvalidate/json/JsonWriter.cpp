#include <orvexconfigvalidate/JsonWriter.hpp>

#include <array>
#include <charconv>
#include <optional>
#include <stdexcept>
#include <string_view>

#include <orvexconfigvalidate/Text.hpp>

#include "json/Decimal.hpp"

namespace OrvexConfigValidate {

namespace {

// The escape of a byte below 0x20, a quote or a backslash; null for others.
const char* shortEscape(char c) {
    switch (c) {
        case '"':
            return "\\\"";
        case '\\':
            return "\\\\";
        case '\b':
            return "\\b";
        case '\t':
            return "\\t";
        case '\n':
            return "\\n";
        case '\f':
            return "\\f";
        case '\r':
            return "\\r";
        default:
            return nullptr;
    }
}

void appendControl(std::string& out, unsigned char c) {
    const char* const digits = "0123456789abcdef";
    out += "\\u00";
    out += digits[c >> 4];
    out += digits[c & 0xF];
}

// Bytes that a JSON string holds as they are: most of any text.
bool isPlain(unsigned char c) {
    return c >= 0x20 && c < 0x80 && c != '"' && c != '\\';
}

// The character (or the ill-formed bytes) at `at`, which is no plain byte.
std::size_t appendSpecial(std::string& out, std::string_view text, std::size_t at) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c >= 0x80) {
        const std::size_t length = utf8SequenceLength(text, at);
        if (length > 0) {
            out.append(text, at, length);
            return length;
        }
        out += "\xEF\xBF\xBD";
        return utf8InvalidLength(text, at);
    }
    if (const char* escape = shortEscape(text[at])) {
        out += escape;
    } else {
        appendControl(out, c);
    }
    return 1;
}

void appendEscaped(std::string& out, std::string_view text) {
    out += '"';
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t plain = at;
        while (plain < text.size() && isPlain(static_cast<unsigned char>(text[plain]))) ++plain;
        out.append(text, at, plain - at);
        at = plain;
        if (at < text.size()) at += appendSpecial(out, text, at);
    }
    out += '"';
}

template <class Integer>
void appendDigits(std::string& out, Integer number) {
    std::array<char, 24> digits{};
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), number);
    out.append(digits.data(), written.ptr);
}

[[noreturn]] void misuse(const char* what) {
    throw std::logic_error(std::string("JsonWriter: ") + what);
}

}  // namespace

void JsonWriter::lineBreak(std::size_t depth) {
    if (indent_ == 0) return;
    out_ += '\n';
    out_.append(depth * indent_, ' ');
}

void JsonWriter::beforeValue() {
    if (stack_.empty()) {
        if (done_) misuse("a second value after the whole text");
        return;
    }
    Frame& top = stack_.back();
    if (top.object) {
        if (top.member != Member::Value) misuse("a value in an object without its key");
        top.member = Member::Written;
        return;
    }
    if (!top.empty) out_ += ',';
    top.empty = false;
    lineBreak(stack_.size());
}

void JsonWriter::afterValue() {
    if (stack_.empty()) done_ = true;
}

JsonWriter& JsonWriter::objectBegin() {
    beforeValue();
    out_ += '{';
    stack_.push_back({true, true, Member::Key});
    return *this;
}

JsonWriter& JsonWriter::arrayBegin() {
    beforeValue();
    out_ += '[';
    stack_.push_back({false, true, Member::Key});
    return *this;
}

void JsonWriter::close(bool object, char bracket) {
    if (stack_.empty() || stack_.back().object != object) {
        misuse(object ? "an object's end where no object is open"
                      : "an array's end where no array is open");
    }
    if (object && stack_.back().member == Member::Value) misuse("an object's end before a value");
    const bool empty = stack_.back().empty;
    stack_.pop_back();
    if (!empty) lineBreak(stack_.size());
    out_ += bracket;
    afterValue();
}

JsonWriter& JsonWriter::objectEnd() {
    close(true, '}');
    return *this;
}

JsonWriter& JsonWriter::arrayEnd() {
    close(false, ']');
    return *this;
}

JsonWriter& JsonWriter::attributeBegin(std::string_view key) {
    if (stack_.empty() || !stack_.back().object) misuse("a key outside an object");
    Frame& top = stack_.back();
    if (top.member == Member::Value) misuse("a key where the value of the last one belongs");
    if (!top.empty) out_ += ',';
    top.empty = false;
    top.member = Member::Value;
    lineBreak(stack_.size());
    appendEscaped(out_, key);
    out_ += indent_ == 0 ? ":" : ": ";
    return *this;
}

JsonWriter& JsonWriter::attributeEnd() {
    if (stack_.empty() || !stack_.back().object || stack_.back().member != Member::Written) {
        misuse("a member's end without its value");
    }
    stack_.back().member = Member::Key;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    beforeValue();
    appendEscaped(out_, text);
    afterValue();
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    beforeValue();
    out_ += flag ? "true" : "false";
    afterValue();
    return *this;
}

JsonWriter& JsonWriter::value(std::nullptr_t) {
    beforeValue();
    out_ += "null";
    afterValue();
    return *this;
}

JsonWriter& JsonWriter::value(double number) {
    beforeValue();
    // Numbers hold no string to escape: nlohmann's shortest round-trip
    // digits, as every JSON text the program wrote before.
    out_ += nlohmann::json(number).dump();
    afterValue();
    return *this;
}

JsonWriter& JsonWriter::integer(std::int64_t number) {
    beforeValue();
    appendDigits(out_, number);
    afterValue();
    return *this;
}

JsonWriter& JsonWriter::unsignedInteger(std::uint64_t number) {
    beforeValue();
    appendDigits(out_, number);
    afterValue();
    return *this;
}

namespace {

// The text of a number carried as written, or nothing for any other binary
// value, which no JSON text holds.
template <class Binary>
std::optional<std::string_view> writtenNumberText(const Binary& bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    Decimal checked;
    if (!bytes.has_subtype() || bytes.subtype() != kWrittenNumberSubtype ||
        !parseDecimal(text, checked)) {
        return std::nullopt;
    }
    return text;
}

}  // namespace

template <class Json>
void JsonWriter::scalar(const Json& json) {
    switch (json.type()) {
        case nlohmann::json::value_t::string:
            value(json.template get_ref<const std::string&>());
            break;
        case nlohmann::json::value_t::boolean:
            value(json.template get<bool>());
            break;
        case nlohmann::json::value_t::number_integer:
            integer(json.template get<std::int64_t>());
            break;
        case nlohmann::json::value_t::number_unsigned:
            unsignedInteger(json.template get<std::uint64_t>());
            break;
        case nlohmann::json::value_t::number_float:
            value(json.template get<double>());
            break;
        case nlohmann::json::value_t::binary:
            if (const auto text = writtenNumberText(json.get_binary())) {
                beforeValue();
                out_.append(*text);
                afterValue();
            } else {
                value(nullptr);
            }
            break;
        default:
            value(nullptr);
            break;
    }
}

template <class Json>
JsonWriter& JsonWriter::whole(const Json& json) {
    struct Open {
        const Json* container;
        typename Json::const_iterator next;
    };
    std::vector<Open> open;
    const Json* current = &json;
    for (;;) {
        if (current != nullptr && current->is_structured()) {
            current->is_object() ? objectBegin() : arrayBegin();
            open.push_back({current, current->cbegin()});
        } else if (current != nullptr) {
            scalar(*current);
            if (!open.empty() && open.back().container->is_object()) attributeEnd();
        }
        current = nullptr;
        if (open.empty()) return *this;
        Open& top = open.back();
        const bool object = top.container->is_object();
        if (top.next == top.container->cend()) {
            object ? objectEnd() : arrayEnd();
            open.pop_back();
            if (!open.empty() && open.back().container->is_object()) attributeEnd();
            continue;
        }
        if (object) attributeBegin(top.next.key());
        current = &*top.next;
        ++top.next;
    }
}

JsonWriter& JsonWriter::value(const nlohmann::json& json) {
    return whole(json);
}

JsonWriter& JsonWriter::value(const nlohmann::ordered_json& json) {
    return whole(json);
}

std::string JsonWriter::take() {
    std::string text;
    text.swap(out_);
    return text;
}

std::string jsonText(const nlohmann::json& json, std::size_t indent) {
    JsonWriter writer(indent);
    writer.value(json);
    return writer.take();
}

std::string jsonText(const nlohmann::ordered_json& json, std::size_t indent) {
    JsonWriter writer(indent);
    writer.value(json);
    return writer.take();
}

std::string jsonString(std::string_view text) {
    JsonWriter writer;
    writer.value(text);
    return writer.take();
}

}  // namespace OrvexConfigValidate
