#include "engine/JsonNumbers.hpp"

#include <cstdint>

#include "json/WrittenNumbers.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

// An integral value as sign and magnitude, which covers int64 and uint64.
struct Integer {
    bool negative = false;
    std::uint64_t magnitude = 0;
};

Integer integerOf(const json& value) {
    if (value.is_number_unsigned()) return {false, value.get<std::uint64_t>()};
    const std::int64_t v = value.get<std::int64_t>();
    // Negating INT64_MIN overflows; its magnitude is taken in unsigned.
    return {v < 0, v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v)
                         : static_cast<std::uint64_t>(v)};
}

int compareIntegers(const Integer& a, const Integer& b) {
    if (a.negative != b.negative) return a.negative ? -1 : 1;
    if (a.magnitude == b.magnitude) return 0;
    const bool less = a.magnitude < b.magnitude;
    return (less != a.negative) ? -1 : 1;
}

// NaN and the infinities only come from documents built in code.
int compareDoubles(const json& a, const json& b) {
    const double x = a.get<double>();
    const double y = b.get<double>();
    return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace

ExactNumber::ExactNumber(const json& value) {
    if (const WrittenNumber* found = WrittenNumbersInUse::lookUp(value)) {
        written = &found->decimal;
        known = true;
        return;
    }
    known = decimalOf(value, own);
}

bool isIntegralNumber(const json& value) {
    if (value.is_number_integer()) return true;  // covers unsigned
    if (!value.is_number_float()) return false;
    const ExactNumber exact(value);
    return exact.finite() && isIntegral(exact.decimal());
}

int compareNumbers(const json& a, const json& b) {
    if (a.is_number_integer() && b.is_number_integer())
        return compareIntegers(integerOf(a), integerOf(b));
    const ExactNumber x(a);
    const ExactNumber y(b);
    if (!x.finite() || !y.finite()) return compareDoubles(a, b);
    return compareDecimals(x.decimal(), y.decimal());
}

bool isMultipleOf(const json& value, const json& divisor) {
    if (value.is_number_integer() && divisor.is_number_integer()) {
        const Integer v = integerOf(value);
        const Integer d = integerOf(divisor);
        return d.magnitude != 0 && v.magnitude % d.magnitude == 0;
    }
    const ExactNumber x(value);
    const ExactNumber y(divisor);
    return x.finite() && y.finite() && isMultipleOf(x.decimal(), y.decimal());
}

}  // namespace OrvexConfigValidate
