// The canonical layout of an open document, as the editor's formatting
// asks for it.
#pragma once

#include <vector>

#include <orvexconfigvalidate/Validation.hpp>

#include "Documents.hpp"

namespace OrvexConfigValidate::Lsp {

// The edits (none or one, the changed span) that give the document's text
// the layout formatText gives it by the schema its check uses. None when
// the text has that layout already, and none when it does not parse: a text
// whose structure is unknown is never rewritten.
std::vector<TextEdit> formattingEdits(const Document& document);

}  // namespace OrvexConfigValidate::Lsp
