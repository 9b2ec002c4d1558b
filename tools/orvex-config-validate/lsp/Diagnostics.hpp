// Issues of the library as editor diagnostics.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>
#include <orvexconfigvalidate/Workspace.hpp>

#include "Documents.hpp"
#include "JsonRpc.hpp"
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

// The published list of a checked version: at most kMaxPublished, then one
// that counts the rest (those the library only counted included), written
// as text one diagnostic at a time: a file of many issues is never held as
// values, whose building and freeing (which allocates too) would need many
// times the memory.
JsonPayload diagnosticsOf(const Snapshot& snapshot, const TextPositions& positions,
                          const std::string& uri);

// A diagnostic for a validation that could not run to its end.
nlohmann::json failureDiagnostic(const std::string& what);

// The one diagnostic, at the start of the document, that says how many
// issues past kMaxPublished were not published.
nlohmann::json notShownDiagnostic(std::size_t count);

}  // namespace OrvexConfigValidate::Lsp
