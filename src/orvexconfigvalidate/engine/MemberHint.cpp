#include "engine/MemberHint.hpp"

#include <cstddef>

#include "Suggestion.hpp"
#include "engine/WorkBudget.hpp"

namespace OrvexConfigValidate {

namespace {

constexpr std::size_t kMaxEdits = 2;

// Names further apart in length than the edits allowed are refused
// without comparing a character.
bool lengthsClose(const std::string& a, const std::string& b) {
    const std::size_t gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    return gap <= kMaxEdits;
}

}  // namespace

// Unlike closestName, a name shorter than its edits may still be a typo
// here: the candidates are the few members the schema declares.
std::string closestMemberName(const std::string& name,
                              const std::vector<const std::string*>& candidates, WorkBudget& work) {
    const std::string* best = nullptr;
    std::size_t bestDistance = kMaxEdits + 1;
    for (const std::string* candidate : candidates) {
        work.charge(1);
        if (!lengthsClose(name, *candidate)) continue;
        // The edit table is as large as the product of the lengths.
        work.chargeBytes(name.size() * (candidate->size() + 1));
        if (equalIgnoringCase(name, *candidate)) return *candidate;
        const std::size_t distance = editDistance(name, *candidate, kMaxEdits);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best == nullptr ? std::string() : *best;
}

std::string onlyClosestMemberName(const std::string& name, const std::string& best,
                                  const std::vector<const std::string*>& candidates,
                                  WorkBudget& work) {
    if (best.empty()) return best;
    const bool byCase = equalIgnoringCase(name, best);
    const std::size_t distance = editDistance(name, best, kMaxEdits);
    for (const std::string* candidate : candidates) {
        work.charge(1);
        if (!lengthsClose(name, *candidate)) continue;
        work.chargeBytes(name.size() * (candidate->size() + 1));
        const bool tied = byCase ? equalIgnoringCase(name, *candidate)
                                 : editDistance(name, *candidate, distance) == distance;
        // The same name declared by several subschemas is one candidate.
        if (tied && *candidate != best) return {};
    }
    return best;
}

}  // namespace OrvexConfigValidate
