// Reading a text without building its document.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// Parses a text without building its document, keeping the text: ok(),
// issues() and the places of values come from the text, validateText and
// validateTextPair judge it as it is written, and document() is read from
// the kept text only when first asked for. The second form keeps whatever
// holds the bytes of `text` (`keeper`) alive instead of a copy.
ParsedText parseTextLean(std::string text, const ReadProgress& progress = nullptr);
ParsedText parseTextLean(std::string_view text, std::shared_ptr<const void> keeper);

}  // namespace OrvexConfigValidate
