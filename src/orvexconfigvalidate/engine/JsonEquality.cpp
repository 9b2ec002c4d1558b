#include "engine/JsonEquality.hpp"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/JsonNumbers.hpp"
#include "engine/WorkBudget.hpp"

namespace OrvexConfigValidate {
namespace {

// Values a hash looks at: enough to tell apart the items of ordinary arrays.
constexpr std::size_t kHashedValues = 64;
// Bytes of a string a hash looks at.
constexpr std::size_t kHashedBytes = 256;

void charge(WorkBudget* work, std::uint64_t units) {
    if (work != nullptr) work->charge(units);
}

std::size_t stringHash(std::string_view text) {
    if (text.size() <= kHashedBytes) return std::hash<std::string_view>{}(text);
    const std::size_t prefix =
        std::hash<std::string_view>{}(std::string_view(text.data(), kHashedBytes));
    return prefix ^ (text.size() * 0x9e3779b97f4a7c15ULL);
}

bool sameKind(const JsonView& a, const JsonView& b) {
    if (a.isNumber() && b.isNumber()) return true;
    return a.kind() == b.kind();
}

bool equalScalars(const JsonView& a, const JsonView& b) {
    if (a.isNumber()) return compareNumbers(a, b) == 0;
    if (a.isString()) return a.string() == b.string();
    if (a.isBoolean()) return a.boolean() == b.boolean();
    return true;  // null
}

std::size_t mix(std::size_t seed, std::size_t value) {
    return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

std::size_t integerHash(bool negative, std::uint64_t magnitude) {
    return std::hash<std::uint64_t>{}(negative ? std::uint64_t{0} - magnitude : magnitude);
}

// Numbers that compare equal hash alike: integers that fit 64 bits by their
// integer, the rest by their exact decimal digits.
std::size_t numberHash(const JsonView& value) {
    if (value.isUnsigned()) return integerHash(false, value.unsignedInteger());
    if (value.isIntegral()) {
        const std::int64_t v = value.integer();
        return integerHash(v < 0, v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v)
                                        : static_cast<std::uint64_t>(v));
    }
    const ExactNumber exact(value);
    if (!exact.finite()) return std::hash<double>{}(value.number());
    const Decimal& decimal = exact.decimal();
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (integerOf(decimal, negative, magnitude)) return integerHash(negative, magnitude);
    std::size_t seed = std::hash<std::string>{}(decimal.digits);
    seed = mix(seed, static_cast<std::size_t>(decimal.exponent));
    return mix(seed, decimal.negative ? 1 : 0);
}

bool isStructured(JsonKind kind) {
    return kind == JsonKind::Array || kind == JsonKind::Object;
}

bool isNumber(JsonKind kind) {
    return kind == JsonKind::Integer || kind == JsonKind::Unsigned || kind == JsonKind::Float;
}

// Two values of which one at least is a scalar, each kind read once; charged
// as chargeComparison does.
bool scalarEqual(const JsonView& a, JsonKind kindA, const JsonView& b, JsonKind kindB,
                 WorkBudget* work) {
    if (isNumber(kindA)) return isNumber(kindB) && compareNumbers(a, b) == 0;
    if (kindA != kindB) return false;
    switch (kindA) {
        case JsonKind::String: {
            const std::string_view x = a.string();
            charge(work, x.size() / kBytesPerWorkUnit);
            return x == b.string();
        }
        case JsonKind::Boolean:
            return a.boolean() == b.boolean();
        case JsonKind::Null:
            return true;
        default:
            // A structured value and a scalar: different kinds, caught above.
            return false;
    }
}

using ValuePairs = std::vector<std::pair<JsonView, JsonView>>;

// What comparing two values costs beside their children.
void chargeComparison(const JsonView& x, const JsonView& y, WorkBudget* work) {
    if (x.isStructured() && sameKind(x, y) && x.size() == y.size()) charge(work, x.size());
    if (x.isString() && y.isString()) charge(work, x.string().size() / kBytesPerWorkUnit);
}

// Queues the children of two objects or two arrays pairwise; false when
// their shapes already differ.
bool queueChildren(const JsonView& x, const JsonView& y, ValuePairs& pending) {
    if (x.size() != y.size()) return false;
    if (x.isArray()) {
        auto right = y.elements().begin();
        for (const JsonView left : x.elements()) pending.emplace_back(left, *right++);
        return true;
    }
    // Objects give their members sorted by name: walk both in step.
    auto right = y.members().begin();
    for (const JsonView::Member left : x.members()) {
        const JsonView::Member other = *right++;
        if (left.name() != other.name()) return false;
        pending.emplace_back(left.value(), other.value());
    }
    return true;
}

}  // namespace

bool jsonEqual(JsonView a, JsonView b, WorkBudget* work) {
    // Every pair queued is charged when queued: a mismatch found early
    // does not make the queueing free.
    charge(work, 1);
    // What enum and const mostly compare, two scalars, needs no queue.
    const JsonKind kindA = a.kind();
    const JsonKind kindB = b.kind();
    if (!isStructured(kindA) || !isStructured(kindB)) return scalarEqual(a, kindA, b, kindB, work);
    ValuePairs pending{{a, b}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        chargeComparison(x, y, work);
        if (!sameKind(x, y)) return false;
        const bool equal = x.isStructured() ? queueChildren(x, y, pending) : equalScalars(x, y);
        if (!equal) return false;
    }
    return true;
}

// The kind a hash takes in: numbers of every kind alike.
std::size_t hashedKind(const JsonView& value) {
    return static_cast<std::size_t>(value.isNumber() ? JsonKind::Float : value.kind());
}

std::size_t jsonHash(JsonView value, WorkBudget* work) {
    std::size_t seed = 0;
    std::vector<JsonView> pending{value};
    // Values taken into the hash, queued ones included: equal values queue
    // the same ones in the same order, so they still hash alike.
    std::size_t taken = 1;
    while (!pending.empty()) {
        const JsonView current = pending.back();
        pending.pop_back();
        charge(work, 1);
        seed = mix(seed, hashedKind(current));
        if (current.isObject()) {
            seed = mix(seed, current.size());
            const auto members = current.members();
            for (auto it = members.begin(); it != members.end() && taken < kHashedValues;
                 ++it, ++taken) {
                const JsonView::Member member = *it;
                seed = mix(seed, stringHash(member.name()));
                pending.push_back(member.value());
            }
        } else if (current.isArray()) {
            seed = mix(seed, current.size());
            const auto elements = current.elements();
            for (auto it = elements.begin(); it != elements.end() && taken < kHashedValues;
                 ++it, ++taken)
                pending.push_back(*it);
        } else if (current.isNumber()) {
            seed = mix(seed, numberHash(current));
        } else if (current.isString()) {
            seed = mix(seed, stringHash(current.string()));
        } else if (current.isBoolean()) {
            seed = mix(seed, current.boolean() ? 1 : 2);
        }
    }
    return seed;
}

}  // namespace OrvexConfigValidate
