#include "CodeActions.hpp"

#include "Documents.hpp"

namespace OrvexConfigValidate::Lsp {

std::vector<QuickFix> quickFixes(const Snapshot& snapshot, std::size_t begin, std::size_t end) {
    std::vector<QuickFix> out;
    for (const Issue* issue : publishedIssues(snapshot)) {
        // A cursor that touches the marked place counts as on it.
        const std::size_t from = issue->location.offset;
        if (issue->fixes.empty() || from > end || from + issue->location.length < begin) continue;
        bool preferred = false;
        for (const Fix& fix : issue->fixes) {
            const bool first = fix.safe && !preferred;
            preferred = preferred || first;
            out.push_back({issue, &fix, first});
        }
    }
    return out;
}

}  // namespace OrvexConfigValidate::Lsp
