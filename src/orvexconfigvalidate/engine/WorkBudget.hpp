// One count of the work that evaluating a schema does, whatever kind it is:
// frames, comparisons, hashing, regex searches, suggestions and the bytes of
// issues written. Each unit costs about the same short time, so a limit on
// units is a limit on time and on the memory that issues take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>

namespace OrvexConfigValidate {

// Bytes scanned or compared per unit.
constexpr std::size_t kBytesPerWorkUnit = 16;
// A regex search costs this much on top of the bytes it scans: RE2 sets up
// its machine for every search, however short the text.
constexpr std::uint64_t kRegexSearchUnits = 8;
// Bytes searched times regex instructions, per unit.
constexpr std::uint64_t kRegexStepsPerUnit = 4;

// Thrown by WorkBudget::charge once the budget is spent; the evaluation
// unwinds to its top and reports that it stopped.
struct WorkExhausted {};

class WorkBudget {
  public:
    // `extend` is asked once, when `initial` is spent, for the whole limit;
    // it may measure what an early, cheap evaluation should not.
    WorkBudget(std::uint64_t initial, std::function<std::uint64_t()> extend)
        : limitValue(initial), extension(std::move(extend)) {}

    void charge(std::uint64_t units) {
        used += units;
        if (used > limitValue) overrun();
    }
    void chargeBytes(std::size_t bytes) { charge(1 + bytes / kBytesPerWorkUnit); }
    // A search of `bytes` with a regex of `cost` (regexCost) per byte, charged
    // before it runs: a search cannot be stopped halfway.
    void chargeSearch(std::size_t bytes, std::size_t cost) {
        charge(kRegexSearchUnits + static_cast<std::uint64_t>(bytes) * cost / kRegexStepsPerUnit);
    }

    std::uint64_t limit() const { return limitValue; }

  private:
    void overrun() {
        if (extension) {
            const auto extend = std::move(extension);
            extension = nullptr;
            const std::uint64_t extended = extend();
            if (extended > limitValue) limitValue = extended;
            if (used <= limitValue) return;
        }
        throw WorkExhausted{};
    }

    std::uint64_t used = 0;
    std::uint64_t limitValue;
    std::function<std::uint64_t()> extension;
};

}  // namespace OrvexConfigValidate
