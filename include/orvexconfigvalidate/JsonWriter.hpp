// JSON text written as it goes, in the manner of llvm::json::OStream: the
// caller says what comes (objects, arrays, attributes, values), the writer
// keeps a stack of what is open and places the commas, colons, line breaks
// and indents. Every JSON text the library and its tool print comes out of
// here, so a string is escaped one way only: value() is the one escaper
// (UTF-8 kept, control characters escaped, ill-formed UTF-8 replaced by
// U+FFFD, byte for byte as nlohmann's dump with its "replace" handler).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

class JsonWriter {
  public:
    // An indent of 0 writes compact text ({"a":[1,2]}); a larger one puts
    // every member and element on a line of its own, indented by that many
    // spaces a level, as nlohmann's dump(indent) lays a value out.
    explicit JsonWriter(std::size_t indent = 0) : indent_(indent) {}

    // Misuse (a value in an object without a key, an end that closes the
    // wrong kind, a second top-level value) throws std::logic_error: a
    // writer never leaves text that is not JSON.
    JsonWriter& objectBegin();
    JsonWriter& objectEnd();
    JsonWriter& arrayBegin();
    JsonWriter& arrayEnd();
    // A member of the open object: its key, then exactly one value. The
    // next key or the object's end closes the member; attributeEnd() only
    // checks that the value came.
    JsonWriter& attributeBegin(std::string_view key);
    JsonWriter& attributeEnd();

    template <class Body>
    JsonWriter& object(Body&& body) {
        objectBegin();
        body();
        return objectEnd();
    }
    template <class Body>
    JsonWriter& array(Body&& body) {
        arrayBegin();
        body();
        return arrayEnd();
    }
    template <class T>
    JsonWriter& attribute(std::string_view key, const T& value) {
        attributeBegin(key);
        this->value(value);
        return attributeEnd();
    }

    JsonWriter& value(std::string_view text);
    JsonWriter& value(const std::string& text) { return value(std::string_view(text)); }
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(bool flag);
    JsonWriter& value(std::nullptr_t);
    JsonWriter& value(double number);
    template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>, int> = 0>
    JsonWriter& value(T number) {
        if constexpr (std::is_signed_v<T>) return integer(static_cast<std::int64_t>(number));
        return unsignedInteger(static_cast<std::uint64_t>(number));
    }
    // A whole value, written without recursion, so any depth is fine.
    JsonWriter& value(const nlohmann::json& json);
    JsonWriter& value(const nlohmann::ordered_json& json);

    // The text written since the last take(); what is open stays open, so
    // a large text can be handed on piece by piece.
    std::string take();
    std::size_t pending() const { return out_.size(); }
    void reserve(std::size_t bytes) { out_.reserve(bytes); }
    // One whole value has been written and nothing is open.
    bool complete() const { return done_ && stack_.empty(); }

  private:
    enum class Member { Key, Value, Written };
    struct Frame {
        bool object = false;
        bool empty = true;
        Member member = Member::Key;  // objects only
    };

    JsonWriter& integer(std::int64_t number);
    JsonWriter& unsignedInteger(std::uint64_t number);
    void beforeValue();
    void afterValue();
    void lineBreak(std::size_t depth);
    void close(bool object, char bracket);
    template <class Json>
    JsonWriter& whole(const Json& json);
    template <class Json>
    void scalar(const Json& json);

    std::size_t indent_;
    std::vector<Frame> stack_;
    std::string out_;
    bool done_ = false;
};

// The text of a value, compact or indented as JsonWriter writes it.
std::string jsonText(const nlohmann::json& json, std::size_t indent = 0);
std::string jsonText(const nlohmann::ordered_json& json, std::size_t indent = 0);
// A string as a JSON string, quotes included.
std::string jsonString(std::string_view text);

}  // namespace OrvexConfigValidate
