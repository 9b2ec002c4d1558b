// Arbitrary bytes as a text: the library's reader must agree with
// nlohmann::json::parse on whether it is JSON and on the value, its reading
// without a document must give the same issues and hold the same values, it
// must place every
// value inside the text, name a value of the document at every offset and
// find it again, and validateText, which reads the text lean, must place
// every issue and give what the check of the document gives. Applying the safe
// fixes of a strict check, of the text alone and beside a server whose mode
// forces the groups, must leave JSON and add no issue.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "FuzzInvariants.hpp"
#include "LeanCompare.hpp"
#include "json/ParsedTextAccess.hpp"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

// Each fix alone, and all safe ones together, keep the text JSON.
void requireFixesKeepJson(std::string_view text,
                          const std::vector<OrvexConfigValidate::Issue>& issues, int source) {
    using namespace OrvexConfigValidate;
    for (const Issue& issue : issues) {
        if (issue.source != source) continue;
        for (const Fix& fix : issue.fixes) {
            Issue alone;
            alone.source = source;
            alone.fixes = {fix};
            alone.fixes[0].safe = true;
            const AppliedFixes applied = applySafeFixes(text, {alone}, source);
            require(applied.applied == 1 && parseText(applied.text).ok());
        }
    }
    require(parseText(applySafeFixes(text, issues, source).text).ok());
}

// validateText reads a string lean; its result, fixes included, must be
// that of the check of the text's nlohmann document, under every schema (each
// reads its own members through the view), alone and in a pair.
void requireLeanCheckAsDocument(std::string_view text) {
    using namespace OrvexConfigValidate;
    static const std::vector<std::string> ids = schemaIds();
    ValidateOptions strict;
    strict.strict = true;
    for (const ValidateOptions& options : {ValidateOptions{}, strict}) {
        for (const std::string& id : ids) {
            ParsedText parsed = parseText(text);
            ValidationResult expected = validateText(id, parsed, options);
            addFixes(expected, parsed, text, 0);
            require(LeanCompare::describeResult(validateText(id, text, options)) ==
                    LeanCompare::describeResult(expected));
        }
        const std::string_view server = R"({"mode": 2})";
        ParsedText serverParsed = parseText(server);
        ParsedText again = parseText(text);
        ValidationResult pair = validateTextPair(serverParsed, again, options);
        addFixes(pair, serverParsed, server, 0);
        addFixes(pair, again, text, 1);
        require(LeanCompare::describeResult(validateTextPair(server, text, options)) ==
                LeanCompare::describeResult(pair));
    }
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
        const ParsedText lean = parseTextLean(std::string(text), nullptr);
        require(!lean.ok() && lean.issues().size() == 1 &&
                lean.issues()[0].message == parsed.issues()[0].message &&
                lean.issues()[0].location.offset == parsed.issues()[0].location.offset);
        require(parsed.issues()[0].location.offset <= size);
        return 0;
    }
    require(parsed.document() == expected);
    const ParsedText lean = parseTextLean(std::string(text), nullptr);
    require(lean.issues().size() == parsed.issues().size() && leanDocumentOf(lean) != nullptr);
    for (std::size_t i = 0; i < lean.issues().size(); ++i) {
        require(lean.issues()[i].message == parsed.issues()[i].message &&
                lean.issues()[i].location.offset == parsed.issues()[i].location.offset);
    }
    require(LeanCompare::difference(parsed.document(), *leanDocumentOf(lean)).empty());
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
    requireLeanCheckAsDocument(text);
    const auto result = validateText("BridgingConfiguration", text, ValidateOptions{});
    for (const Issue& issue : result.issues) {
        require(issue.location.known() && issue.location.offset <= size);
    }
    ValidateOptions strict;
    strict.strict = true;
    const auto alone = [&strict](std::string_view fixed) {
        return validateText("BridgingConfiguration", fixed, strict);
    };
    const ValidationResult checked = alone(text);
    requireFixesKeepJson(text, checked.issues, 0);
    checkSafeFixesAddNoIssue(text, checked, 0, alone);
    for (const char* server : {R"({"mode": 0})", R"({"mode": 2})"}) {
        const auto beside = [&strict, server](std::string_view fixed) {
            return validateTextPair(server, fixed, strict);
        };
        const ValidationResult pair = beside(text);
        requireFixesKeepJson(text, pair.issues, 1);
        checkSafeFixesAddNoIssue(text, pair, 1, beside);
    }
    return 0;
}
