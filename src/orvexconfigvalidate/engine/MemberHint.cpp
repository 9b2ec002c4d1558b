#include "engine/MemberHint.hpp"

#include <algorithm>
#include <cstddef>

namespace OrvexConfigValidate {
namespace {

constexpr std::size_t kMaxEdits = 2;

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// Levenshtein distance, or kMaxEdits + 1 once it is known to exceed it.
std::size_t editDistance(const std::string& a, const std::string& b) {
    const std::size_t gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    if (gap > kMaxEdits) return kMaxEdits + 1;
    std::vector<std::size_t> previous(b.size() + 1);
    std::vector<std::size_t> current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        std::size_t rowBest = current[0];
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t substitute = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitute});
            rowBest = std::min(rowBest, current[j]);
        }
        if (rowBest > kMaxEdits) return kMaxEdits + 1;
        std::swap(previous, current);
    }
    return previous[b.size()];
}

}  // namespace

std::string closestMemberName(const std::string& name,
                              const std::vector<const std::string*>& candidates) {
    const std::string* best = nullptr;
    std::size_t bestDistance = kMaxEdits + 1;
    for (const std::string* candidate : candidates) {
        if (equalIgnoringCase(name, *candidate)) return *candidate;
        const std::size_t distance = editDistance(name, *candidate);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best == nullptr ? std::string() : *best;
}

}  // namespace OrvexConfigValidate
