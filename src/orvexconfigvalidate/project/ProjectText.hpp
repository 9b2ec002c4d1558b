// The project file's text helpers: path patterns, dates, and the edits
// that remove and add "accept" entries while keeping every other byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// "*" and "?" within one name, "**" across folders (also none). Time is
// bounded by the product of the two lengths.
bool pathPatternMatches(std::string_view pattern, std::string_view path);

// The edits that remove the entries at the pointers ("/accept/N") with what
// separates them from their neighbours, leaving valid JSON.
std::vector<TextEdit> removeEntries(const ParsedText& parsed,
                                    const std::vector<std::string>& pointers);

// The text with sorted, non-overlapping edits applied.
std::string applyEdits(std::string_view text, const std::vector<TextEdit>& edits);

}  // namespace OrvexConfigValidate
