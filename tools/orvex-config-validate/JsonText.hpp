// JSON written directly as text, for answers too large to build as values
// first. Strings come out as nlohmann's dump writes them (UTF-8 kept, control
// characters escaped, ill-formed UTF-8 replaced by U+FFFD), so a reader sees
// the same values either way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

#include "Output.hpp"

namespace OrvexConfigValidate::Tool {

// Appends text as a quoted JSON string.
void appendJsonString(std::string& out, std::string_view text);

// Objects, arrays and scalars in the order they are written; the caller
// keeps them balanced, the writer places the commas and colons.
class JsonWriter {
  public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    JsonWriter& string(std::string_view text);
    JsonWriter& number(std::size_t value);
    JsonWriter& boolean(bool value);

    // Room for the whole text, when its size can be told beforehand.
    void reserve(std::size_t bytes) { out.reserve(bytes); }
    std::string take() { return std::move(out); }

  private:
    void separate();

    std::string out;
    // A value was just completed, so the next one needs a comma.
    bool afterValue = false;
};

// A value as the reports print it: nlohmann's dump with an indent of 2,
// ill-formed UTF-8 replaced, every line after the first indented by
// `indent` more spaces so that it can stand inside a larger text.
std::string indentedJson(const nlohmann::ordered_json& value, std::size_t indent = 0);

// A report printed as one indented JSON text whose largest array is written
// element by element, so that the whole never stands in memory. The
// skeleton is the report with that array empty.
class JsonArrayStream {
  public:
    // Writes the skeleton (indented by `indent`) up to the array `name`;
    // the skeleton holds exactly one empty array of that name.
    JsonArrayStream(OutputSink& sink, const nlohmann::ordered_json& skeleton, std::string_view name,
                    std::size_t indent = 0);

    void add(const nlohmann::ordered_json& element);
    // Starts an element that the caller writes itself, indented by elementIndent().
    void next();
    std::size_t elementIndent() const { return elementIndent_; }
    // Closes the array and writes the rest of the skeleton.
    void finish();

  private:
    OutputSink& sink_;
    std::string after_;
    std::size_t elementIndent_ = 0;
    std::size_t count_ = 0;
};

}  // namespace OrvexConfigValidate::Tool
