// Arbitrary bytes as a text: the library's reader must agree with
// nlohmann::json::parse on whether it is JSON and on the value, place every
// value inside the text, and validateText must place every issue.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
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
    (void)parsed.pointerAt(size / 2);
    const auto result = validateText("BridgingConfiguration", text, ValidateOptions{});
    for (const Issue& issue : result.issues) {
        require(issue.location.known() && issue.location.offset <= size);
    }
    return 0;
}
