#include "Suggestion.hpp"

#include <algorithm>

namespace OrvexConfigValidate {

namespace {

constexpr std::size_t kMaxEdits = 2;

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

std::size_t editDistance(std::string_view a, std::string_view b, std::size_t limit) {
    const std::size_t gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    if (gap > limit) return limit + 1;
    // One row of the classic table; names are short.
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        std::size_t rowMinimum = row[0];
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] =
                std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
            rowMinimum = std::min(rowMinimum, row[j]);
        }
        if (rowMinimum > limit) return limit + 1;
    }
    return std::min(row[b.size()], limit + 1);
}

std::string closestName(std::string_view name, const std::vector<std::string_view>& candidates) {
    if (name.empty() || std::find(candidates.begin(), candidates.end(), name) != candidates.end()) {
        return {};
    }
    for (const std::string_view candidate : candidates) {
        if (equalIgnoringCase(name, candidate)) return std::string(candidate);
    }
    std::string_view best;
    std::size_t bestDistance = kMaxEdits + 1;
    for (const std::string_view candidate : candidates) {
        if (candidate.empty()) continue;
        // Never more edits than the name has characters: "x" is no typo of "g1".
        const std::size_t limit = std::min(bestDistance - 1, name.size() - 1);
        const std::size_t distance = editDistance(name, candidate, limit);
        if (distance <= limit) {
            best = candidate;
            bestDistance = distance;
            if (distance == 1) break;  // nothing but case could beat it
        }
    }
    return std::string(best);
}

std::string onlyClosestName(std::string_view name,
                            const std::vector<std::string_view>& candidates) {
    const std::string best = closestName(name, candidates);
    if (best.empty()) return best;
    const bool byCase = equalIgnoringCase(name, best);
    const std::size_t distance = editDistance(name, best, kMaxEdits);
    for (const std::string_view candidate : candidates) {
        const bool tied = byCase ? equalIgnoringCase(name, candidate)
                                 : editDistance(name, candidate, distance) == distance;
        if (tied && candidate != best) return {};
    }
    return best;
}

std::string didYouMean(std::string_view name) {
    return "did you mean \"" + std::string(name) + "\"?";
}

}  // namespace OrvexConfigValidate
