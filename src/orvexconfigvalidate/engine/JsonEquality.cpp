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

using nlohmann::json;

// Values a hash looks at: enough to tell apart the items of ordinary arrays.
constexpr std::size_t kHashedValues = 64;
// Bytes of a string a hash looks at.
constexpr std::size_t kHashedBytes = 256;

void charge(WorkBudget* work, std::uint64_t units) {
    if (work != nullptr) work->charge(units);
}

std::size_t stringHash(const std::string& text) {
    if (text.size() <= kHashedBytes) return std::hash<std::string>{}(text);
    const std::size_t prefix =
        std::hash<std::string_view>{}(std::string_view(text.data(), kHashedBytes));
    return prefix ^ (text.size() * 0x9e3779b97f4a7c15ULL);
}

bool sameKind(const json& a, const json& b) {
    if (a.is_number() && b.is_number()) return true;
    return a.type() == b.type();
}

bool equalScalars(const json& a, const json& b) {
    if (a.is_number()) return compareNumbers(a, b) == 0;
    if (a.is_string()) return a.get_ref<const std::string&>() == b.get_ref<const std::string&>();
    if (a.is_boolean()) return a.get<bool>() == b.get<bool>();
    if (a.is_binary()) return a.get_binary() == b.get_binary();
    return true;  // null, discarded
}

std::size_t mix(std::size_t seed, std::size_t value) {
    return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

std::size_t integerHash(bool negative, std::uint64_t magnitude) {
    return std::hash<std::uint64_t>{}(negative ? std::uint64_t{0} - magnitude : magnitude);
}

// Numbers that compare equal hash alike: integers that fit 64 bits by their
// integer, the rest by their exact decimal digits.
std::size_t numberHash(const json& value) {
    if (value.is_number_unsigned()) return integerHash(false, value.get<std::uint64_t>());
    if (value.is_number_integer()) {
        const std::int64_t v = value.get<std::int64_t>();
        return integerHash(v < 0, v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v)
                                        : static_cast<std::uint64_t>(v));
    }
    const ExactNumber exact(value);
    if (!exact.finite()) return std::hash<double>{}(value.get<double>());
    const Decimal& decimal = exact.decimal();
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (integerOf(decimal, negative, magnitude)) return integerHash(negative, magnitude);
    std::size_t seed = std::hash<std::string>{}(decimal.digits);
    seed = mix(seed, static_cast<std::size_t>(decimal.exponent));
    return mix(seed, decimal.negative ? 1 : 0);
}

using ValuePairs = std::vector<std::pair<const json*, const json*>>;

// What comparing two values costs beside their children.
void chargeComparison(const json& x, const json& y, WorkBudget* work) {
    if (x.is_structured() && sameKind(x, y) && x.size() == y.size()) charge(work, x.size());
    if (x.is_string() && y.is_string())
        charge(work, x.get_ref<const std::string&>().size() / kBytesPerWorkUnit);
}

// Queues the children of two objects or two arrays pairwise; false when
// their shapes already differ.
bool queueChildren(const json& x, const json& y, ValuePairs& pending) {
    if (x.size() != y.size()) return false;
    if (x.is_array()) {
        for (std::size_t i = 0; i < x.size(); ++i) pending.emplace_back(&x[i], &y[i]);
        return true;
    }
    // Objects keep their members sorted by name: walk both in step.
    auto right = y.begin();
    for (auto left = x.begin(); left != x.end(); ++left, ++right) {
        if (left.key() != right.key()) return false;
        pending.emplace_back(&left.value(), &right.value());
    }
    return true;
}

}  // namespace

bool jsonEqual(const json& a, const json& b, WorkBudget* work) {
    // Every pair queued is charged when queued: a mismatch found early
    // does not make the queueing free.
    charge(work, 1);
    ValuePairs pending{{&a, &b}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        chargeComparison(*x, *y, work);
        if (!sameKind(*x, *y)) return false;
        const bool equal =
            x->is_structured() ? queueChildren(*x, *y, pending) : equalScalars(*x, *y);
        if (!equal) return false;
    }
    return true;
}

std::size_t jsonHash(const json& value, WorkBudget* work) {
    std::size_t seed = 0;
    std::vector<const json*> pending{&value};
    // Values taken into the hash, queued ones included: equal values queue
    // the same ones in the same order, so they still hash alike.
    std::size_t taken = 1;
    while (!pending.empty()) {
        const json* current = pending.back();
        pending.pop_back();
        charge(work, 1);
        seed = mix(seed, static_cast<std::size_t>(current->is_number() ? json::value_t::number_float
                                                                       : current->type()));
        if (current->is_object()) {
            seed = mix(seed, current->size());
            for (auto it = current->begin(); it != current->end() && taken < kHashedValues;
                 ++it, ++taken) {
                seed = mix(seed, stringHash(it.key()));
                pending.push_back(&it.value());
            }
        } else if (current->is_array()) {
            seed = mix(seed, current->size());
            for (auto it = current->begin(); it != current->end() && taken < kHashedValues;
                 ++it, ++taken)
                pending.push_back(&*it);
        } else if (current->is_number()) {
            seed = mix(seed, numberHash(*current));
        } else if (current->is_string()) {
            seed = mix(seed, stringHash(current->get_ref<const std::string&>()));
        } else if (current->is_boolean()) {
            seed = mix(seed, current->get<bool>() ? 1 : 2);
        }
    }
    return seed;
}

}  // namespace OrvexConfigValidate
