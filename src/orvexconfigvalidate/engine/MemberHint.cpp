#include "engine/MemberHint.hpp"

#include <cstddef>

#include "Suggestion.hpp"

namespace OrvexConfigValidate {

namespace {

constexpr std::size_t kMaxEdits = 2;

}  // namespace

// Unlike closestName, a name shorter than its edits may still be a typo
// here: the candidates are the few members the schema declares.
std::string closestMemberName(const std::string& name,
                              const std::vector<const std::string*>& candidates) {
    const std::string* best = nullptr;
    std::size_t bestDistance = kMaxEdits + 1;
    for (const std::string* candidate : candidates) {
        if (equalIgnoringCase(name, *candidate)) return *candidate;
        const std::size_t distance = editDistance(name, *candidate, kMaxEdits);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best == nullptr ? std::string() : *best;
}

}  // namespace OrvexConfigValidate
