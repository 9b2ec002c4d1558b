#include "FoldingRanges.hpp"

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Text.hpp>

namespace OrvexConfigValidate::Lsp {

namespace {

struct Open {
    char closer;
    std::size_t line;
};

// The offset of the quote that closes the string opened at start.
std::size_t stringEnd(std::string_view text, std::size_t start) {
    for (std::size_t i = start + 1; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == '"' || text[i] == '\n') {
            return i;
        }
    }
    return text.size();
}

}  // namespace

std::vector<FoldingRange> foldingRanges(std::string_view text) {
    const LineTable lines(text);
    std::vector<Open> open;
    std::vector<FoldingRange> out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            i = stringEnd(text, i);
        } else if (c == '{' || c == '[') {
            open.push_back({c == '{' ? '}' : ']', lines.lineOf(i)});
        } else if ((c == '}' || c == ']') && !open.empty() && open.back().closer == c) {
            const std::size_t startLine = open.back().line;
            const std::size_t endLine = lines.lineOf(i);
            open.pop_back();
            // The closing line stays visible.
            if (endLine > startLine + 1) {
                out.push_back({startLine, endLine - 1});
            }
        }
    }
    return out;
}

}  // namespace OrvexConfigValidate::Lsp
