// JSON written directly as text, for answers too large to build as values
// first. Strings come out as nlohmann's dump writes them (UTF-8 kept, control
// characters escaped, ill-formed UTF-8 replaced by U+FFFD), so a reader sees
// the same values either way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

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

}  // namespace OrvexConfigValidate::Tool
