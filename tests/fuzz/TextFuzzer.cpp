// Arbitrary bytes as a text: the library's reader must agree with
// nlohmann::json::parse on whether it is JSON and on the value, place every
// value inside the text, name a value of the document at every offset and
// find it again, and validateText must place every issue.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace OrvexConfigValidate;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ParsedText parsed = parseText(text);
    // nlohmann's lexer takes a NUL byte for the end of the input, so it is no
    // oracle there; JSON allows no raw NUL anywhere, so the text is not JSON.
    if (text.find('\0') != std::string_view::npos) {
        require(!parsed.ok() && parsed.issues().size() == 1 &&
                parsed.issues()[0].code == "parse_error");
        return 0;
    }
    const auto expected = nlohmann::json::parse(data, data + size, nullptr, false, false);
    require(parsed.ok() == !expected.is_discarded());
    if (!parsed.ok()) {
        require(parsed.issues().size() == 1 && parsed.issues()[0].code == "parse_error");
        require(parsed.issues()[0].location.offset <= size);
        return 0;
    }
    require(parsed.document() == expected);
    const TextLocation root = parsed.locate("");
    require(root.known() && root.offset + root.length <= size);
    // Every offset names a value the document has; without duplicated
    // members (whose replaced text names no value), locating that pointer
    // finds the value again.
    const bool duplicates = !parsed.issues().empty();
    const std::size_t step = size <= 512 ? 1 : size / 512;
    for (std::size_t offset = 0; offset < size; offset += step) {
        const std::string pointer = parsed.pointerAt(offset);
        require(parsed.document().contains(nlohmann::json::json_pointer(pointer)));
        const TextLocation place = parsed.locate(pointer);
        require(place.known() && place.offset + place.length <= size);
        if (!duplicates && !pointer.empty()) {
            require(offset < place.offset + place.length);
            require(parsed.pointerAt(place.offset) == pointer);
        }
    }
    const auto result = validateText("BridgingConfiguration", text, ValidateOptions{});
    for (const Issue& issue : result.issues) {
        require(issue.location.known() && issue.location.offset <= size);
    }
    return 0;
}
