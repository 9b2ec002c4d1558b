#include "Formatting.hpp"

#include <string>

#include <orvexconfigvalidate/Format.hpp>

namespace OrvexConfigValidate::Lsp {

std::vector<TextEdit> formattingEdits(const Document& document) {
    const std::string& text = document.text();
    const FormatResult formatted = formatDocument(document.parsed(), document.schemaId());
    if (!formatted.ok || formatted.text == text) return {};
    return {changedSpan(text, formatted.text)};
}

}  // namespace OrvexConfigValidate::Lsp
