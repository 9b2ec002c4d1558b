// Issues of the library as editor diagnostics.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {

// An editor range {"start", "end"} for a place in the text. A value that
// spans several lines is cut at the end of its first line, so that a
// group's issue marks the group's opening line rather than the whole group;
// an empty place marks the character there.
nlohmann::json rangeOf(const TextLocation& location, std::string_view text,
                       const TextPositions& positions);
// The bytes rangeOf marks.
struct ByteRange {
    std::size_t begin = 0;
    std::size_t end = 0;
};
ByteRange markedBytes(const TextLocation& location, std::string_view text,
                      const TextPositions& positions);
nlohmann::json rangeBetween(std::size_t begin, std::size_t end, const TextPositions& positions);

// One diagnostic; uri names the document for related places.
nlohmann::json toDiagnostic(const Issue& issue, std::string_view text,
                            const TextPositions& positions, const std::string& uri);

// A diagnostic for a validation that could not run to its end.
nlohmann::json failureDiagnostic(const std::string& what);

// The most diagnostics published for one document: an editor lists no more
// usefully, and each costs the server and the editor some hundred bytes.
constexpr std::size_t kMaxPublished = 1000;

// The one diagnostic, at the start of the document, that says how many
// issues past kMaxPublished were not published.
nlohmann::json notShownDiagnostic(std::size_t count);

}  // namespace OrvexConfigValidate::Lsp
