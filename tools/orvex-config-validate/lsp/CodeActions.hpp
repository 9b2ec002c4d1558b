// Quick fixes: the fixes of the diagnostics published for a version that
// lie under a range.
#pragma once

#include <cstddef>
#include <vector>

#include <orvexconfigvalidate/Workspace.hpp>

namespace OrvexConfigValidate::Lsp {

struct QuickFix {
    const Issue* issue = nullptr;
    const Fix* fix = nullptr;
    // The first safe fix of its issue.
    bool preferred = false;
};

// The fixes of published issues whose place touches [begin, end].
std::vector<QuickFix> quickFixes(const Snapshot& snapshot, std::size_t begin, std::size_t end);

}  // namespace OrvexConfigValidate::Lsp
