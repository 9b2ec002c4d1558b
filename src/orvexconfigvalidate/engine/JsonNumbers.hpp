// Exact arithmetic on JSON numbers whatever their storage: int64, uint64 or
// double. Converting all of them to double would make 2^63 + 1 equal 2^63.
// A double counts as the shortest text that reads back as it, and a number
// that the view knows as written as that text.
#pragma once

#include <cstddef>

#include <orvexconfigvalidate/JsonView.hpp>

#include "json/Decimal.hpp"

namespace OrvexConfigValidate {

// The exact value of a JSON number: as written when its text is known.
class ExactNumber {
  public:
    explicit ExactNumber(const JsonView& value);
    // False for NaN and the infinities, which have no decimal value.
    bool finite() const { return known; }
    const Decimal& decimal() const { return own; }

  private:
    Decimal own;
    bool known = false;
};

// -1, 0 or 1 as a is less than, equal to or greater than b. Both must be
// numbers.
int compareNumbers(JsonView a, JsonView b);

// A number with zero fractional part (3.0 and 1e2 count).
bool isIntegralNumber(JsonView value);

// Whether `value` is an integer multiple of `divisor` (> 0), exactly.
bool isMultipleOf(JsonView value, JsonView divisor);

}  // namespace OrvexConfigValidate
