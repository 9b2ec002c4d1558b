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
    // One row of the classic table, and of it only the band within `limit`
    // of the diagonal: cells outside cannot come back under the limit. So a
    // pair of long names costs their length, not its square.
    const std::size_t over = limit + 1;
    std::vector<std::size_t> row(b.size() + 1, over);
    for (std::size_t j = 0; j <= std::min(b.size(), limit); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        const std::size_t low = i > limit ? i - limit : 1;
        const std::size_t high = std::min(b.size(), i + limit);
        // The left neighbour of the band's first cell lies outside this
        // row's band (or is the first column).
        std::size_t diagonal = row[low - 1];
        row[low - 1] = low == 1 ? std::min(i, over) : over;
        std::size_t rowMinimum = row[low - 1];
        for (std::size_t j = low; j <= high; ++j) {
            const std::size_t above = row[j];
            row[j] = std::min(
                {above + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1), over});
            diagonal = above;
            rowMinimum = std::min(rowMinimum, row[j]);
        }
        if (rowMinimum > limit) return over;
    }
    return std::min(row[b.size()], over);
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

std::string onlyClosestName(std::string_view name, const std::string& best,
                            const std::vector<std::string_view>& candidates) {
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
