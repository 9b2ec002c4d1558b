// The canonical layout of a configuration text: two-space indentation, an
// object's members in the order its schema names them ("properties"), the
// members the schema does not name after those in their own order, arrays
// in their order. Values are kept byte for byte as written (numbers,
// string escapes), as are the text's line ends, its byte-order mark and
// whether it ends with a line break. Formatting a formatted text changes
// nothing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Deployment.hpp>
#include <orvexconfigvalidate/Text.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

struct FormatResult {
    // False when the text is not one JSON value (issues holds the parse
    // error) or its layout would grow past the bound: nothing to write.
    bool ok = false;
    std::string text;           // the formatted text when ok
    std::vector<Issue> issues;  // why not ok
};

// The members are ordered by the built-in schema of the id ("" or an
// unknown id: members keep their order). The formatted text is at most
// kFormatGrowth times the text's size plus kFormatSlack bytes: a deeply
// nested text would otherwise grow with the square of its depth.
inline constexpr std::size_t kFormatGrowth = 16;
inline constexpr std::size_t kFormatSlack = std::size_t{1} << 20;
FormatResult formatText(std::string_view text, std::string_view schemaId);
// The same on a document read already (its kept text is laid out).
FormatResult formatDocument(const Document& parsed, std::string_view schemaId);

// The one edit that turns `before` into `after`, keeping their common start
// and end: an editor's formatting edit, or the hunk of a diff. Empty
// (length 0, no new text) when they are equal.
TextEdit changedSpan(std::string_view before, std::string_view after);

}  // namespace OrvexConfigValidate
