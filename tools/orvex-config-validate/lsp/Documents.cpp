#include "Documents.hpp"

namespace OrvexConfigValidate::Lsp {

std::vector<const Issue*> publishedIssues(const Snapshot& snapshot) {
    std::vector<const Issue*> out;
    for (const Issue& issue : snapshot.result().issues) {
        if (out.size() == kMaxPublished) break;
        if (issue.source == snapshot.source()) out.push_back(&issue);
    }
    return out;
}

const TextPositions& PositionsCache::of(const std::shared_ptr<const Snapshot>& snapshot) {
    Entry& entry = entries[snapshot->key()];
    if (!entry.positions || entry.snapshot.lock() != snapshot) {
        // What points into the old text goes first.
        entry.positions.reset();
        entry.positions = std::make_unique<TextPositions>(snapshot->text());
        entry.snapshot = snapshot;
    }
    return *entry.positions;
}

}  // namespace OrvexConfigValidate::Lsp
