#include "engine/JsonNumbers.hpp"

#include <cstdint>
#include <string_view>

#include "json/Decimal.hpp"

namespace OrvexConfigValidate {
namespace {

// An integral value as sign and magnitude, which covers int64 and uint64.
struct Integer {
    bool negative = false;
    std::uint64_t magnitude = 0;
};

bool integralKind(JsonKind kind) {
    return kind == JsonKind::Integer || kind == JsonKind::Unsigned;
}

// `kind` is the value's, read by the caller.
Integer integerOf(const JsonView& value, JsonKind kind) {
    if (kind == JsonKind::Unsigned) return {false, value.unsignedInteger()};
    const std::int64_t v = value.integer();
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
int compareDoubles(const JsonView& a, const JsonView& b) {
    const double x = a.number();
    const double y = b.number();
    return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace

ExactNumber::ExactNumber(const JsonView& value) {
    if (const nlohmann::json* held = value.json()) {
        known = decimalOf(*held, own);
        return;
    }
    const std::string_view text = value.numberText();
    known = text.empty() ? decimalOf(value.toJson(), own) : parseDecimal(text, own);
}

bool isIntegralNumber(JsonView value) {
    if (value.isIntegral()) return true;
    if (!value.isFloat()) return false;
    const ExactNumber exact(value);
    return exact.finite() && isIntegral(exact.decimal());
}

int compareNumbers(JsonView a, JsonView b) {
    const JsonKind kindA = a.kind();
    const JsonKind kindB = b.kind();
    if (integralKind(kindA) && integralKind(kindB))
        return compareIntegers(integerOf(a, kindA), integerOf(b, kindB));
    const ExactNumber x(a);
    const ExactNumber y(b);
    if (!x.finite() || !y.finite()) return compareDoubles(a, b);
    return compareDecimals(x.decimal(), y.decimal());
}

bool isMultipleOf(JsonView value, JsonView divisor) {
    if (value.isIntegral() && divisor.isIntegral()) {
        const Integer v = integerOf(value, value.kind());
        const Integer d = integerOf(divisor, divisor.kind());
        return d.magnitude != 0 && v.magnitude % d.magnitude == 0;
    }
    const ExactNumber x(value);
    const ExactNumber y(divisor);
    return x.finite() && y.finite() && isMultipleOf(x.decimal(), y.decimal());
}

}  // namespace OrvexConfigValidate
