// Folding of the objects and arrays that span lines.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace OrvexConfigValidate::Lsp {

// 0-based lines; the closing line stays visible.
struct FoldingRange {
    std::size_t startLine = 0;
    std::size_t endLine = 0;
};

// One pass over the text with an explicit stack: a text nested a million
// deep costs its length, never the call stack. A text that does not parse
// folds what brackets it balances.
std::vector<FoldingRange> foldingRanges(std::string_view text);

}  // namespace OrvexConfigValidate::Lsp
