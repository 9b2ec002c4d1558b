// Arbitrary bytes as a text: the library's reader must agree with
// nlohmann::json::parse on whether it is JSON and on every value, place
// every value inside the text, name a value at every offset and find it
// again; validate() of nlohmann's value must judge as validateText() of its
// dump, under every schema; validateText on a string must give what the
// check of its document and addFixes give. Applying the safe fixes of a
// strict check, of the text alone and beside a server whose mode forces the
// groups, must leave JSON and add no issue.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Differential.hpp"
#include "FuzzInvariants.hpp"
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

// Under every schema: validate() of the value judges as validateText() of
// its dump, and validateText() of the string gives the check of its
// document with its fixes, alone and in a pair.
void requireOneJudgement(std::string_view text, const nlohmann::json& value) {
    using namespace OrvexConfigValidate;
    static const std::vector<std::string> ids = schemaIds();
    ValidateOptions strict;
    strict.strict = true;
    for (const ValidateOptions& options : {ValidateOptions{}, strict}) {
        for (const std::string& id : ids) {
            require(Differential::judgementDifference(id, value, options).empty());
            const Document parsed = parseText(text);
            ValidationResult expected = validateText(id, parsed, options);
            addFixes(expected, parsed);
            require(Differential::describeResult(validateText(id, text, options)) ==
                    Differential::describeResult(expected));
        }
        const std::string_view server = R"({"mode": 2})";
        const Document serverParsed = parseText(server);
        const Document again = parseText(text);
        ValidationResult pair = validateTextPair(serverParsed, again, options);
        addFixes(pair, serverParsed, 0);
        addFixes(pair, again, 1);
        require(Differential::describeResult(validateTextPair(server, text, options)) ==
                Differential::describeResult(pair));
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
        require(parsed.issues()[0].location.offset <= size);
        return 0;
    }
    require(parsed.toJson() == expected);
    require(Differential::difference(expected, *leanDocumentOf(parsed)).empty());
    const TextLocation root = parsed.locate("");
    require(root.known() && root.offset + root.length <= size);
    // Every offset names a value the document has; without duplicated
    // members (whose replaced text names no value), locating that pointer
    // finds the value again.
    const bool duplicates = !parsed.issues().empty();
    const std::size_t step = size <= 512 ? 1 : size / 512;
    for (std::size_t offset = 0; offset < size; offset += step) {
        const std::string pointer = parsed.pointerAt(offset);
        require(expected.contains(nlohmann::json::json_pointer(pointer)));
        const TextLocation place = parsed.locate(pointer);
        require(place.known() && place.offset + place.length <= size);
        if (!duplicates && !pointer.empty()) {
            require(offset < place.offset + place.length);
            require(parsed.pointerAt(place.offset) == pointer);
        }
    }
    requireOneJudgement(text, expected);
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
