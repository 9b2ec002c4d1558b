#include "engine/JsonNumbers.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

// 2^64 is exact in double.
constexpr double kTwoTo64 = 18446744073709551616.0;

// An integral value as sign and magnitude, which covers int64 and uint64.
struct Integer {
    bool negative = false;
    std::uint64_t magnitude = 0;
};

bool asInteger(const json& value, Integer& out) {
    if (value.is_number_unsigned()) {
        out = {false, value.get<std::uint64_t>()};
        return true;
    }
    if (value.is_number_integer()) {
        const std::int64_t v = value.get<std::int64_t>();
        // Negating INT64_MIN overflows; its magnitude is taken in unsigned.
        out = {v < 0, v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v)
                            : static_cast<std::uint64_t>(v)};
        return true;
    }
    const double d = value.get<double>();
    if (!std::isfinite(d) || d != std::floor(d) || d >= kTwoTo64 || d <= -kTwoTo64) return false;
    out = {d < 0, static_cast<std::uint64_t>(std::fabs(d))};
    if (out.magnitude == 0) out.negative = false;
    return true;
}

int compareIntegers(const Integer& a, const Integer& b) {
    if (a.negative != b.negative) return a.negative ? -1 : 1;
    if (a.magnitude == b.magnitude) return 0;
    const bool less = a.magnitude < b.magnitude;
    return (less != a.negative) ? -1 : 1;
}

// An integer against a double that is not integral or outside the integer
// range: the double's floor decides, and equality is impossible.
int compareIntegerWithDouble(const Integer& a, double d) {
    if (d >= kTwoTo64) return -1;
    if (d <= -kTwoTo64) return 1;
    const double whole = std::floor(d);  // d lies strictly between whole and whole + 1
    Integer floorValue;
    floorValue.negative = whole < 0;
    floorValue.magnitude = static_cast<std::uint64_t>(std::fabs(whole));
    // a <= floor(d) < d, or a >= floor(d) + 1 > d.
    return compareIntegers(a, floorValue) <= 0 ? -1 : 1;
}

}  // namespace

bool isIntegralNumber(const json& value) {
    if (value.is_number_integer()) return true;  // covers unsigned
    if (!value.is_number_float()) return false;
    const double d = value.get<double>();
    return std::isfinite(d) && d == std::floor(d);
}

int compareNumbers(const json& a, const json& b) {
    Integer ia;
    Integer ib;
    const bool aInt = asInteger(a, ia);
    const bool bInt = asInteger(b, ib);
    if (aInt && bInt) return compareIntegers(ia, ib);
    if (aInt) return compareIntegerWithDouble(ia, b.get<double>());
    if (bInt) return -compareIntegerWithDouble(ib, a.get<double>());
    const double x = a.get<double>();
    const double y = b.get<double>();
    return x < y ? -1 : (x > y ? 1 : 0);
}

bool isMultipleOf(const json& value, const json& divisor) {
    Integer v;
    Integer d;
    if (asInteger(value, v) && asInteger(divisor, d) && d.magnitude != 0)
        return v.magnitude % d.magnitude == 0;
    const double x = value.get<double>();
    const double y = divisor.get<double>();
    if (!(y > 0)) return false;
    const double quotient = x / y;
    if (!std::isfinite(quotient)) return false;
    const double nearest = std::round(quotient);
    // Decimal divisors such as 0.01 are not exact in binary.
    return std::fabs(quotient - nearest) <= 1e-9 * std::fmax(1.0, std::fabs(nearest));
}

}  // namespace OrvexConfigValidate
