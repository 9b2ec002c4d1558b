// Exact decimal values of JSON numbers. A double cannot hold 0.1, 2^64 + 1
// or 1.00000000000000000001; comparing and dividing the decimal digits keeps
// the number a person wrote.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

// digits × 10^exponent, with neither leading nor trailing zeros in digits.
struct Decimal {
    bool negative = false;      // never set for zero
    std::string digits;         // empty for zero
    std::int64_t exponent = 0;  // 0 for zero

    bool zero() const { return digits.empty(); }
};

// Written exponents are held within ±kDecimalExponentLimit: far beyond any
// double, so every comparison with a value a double can hold stays exact.
constexpr std::int64_t kDecimalExponentLimit = 1'000'000'000'000'000;

// A JSON number token (RFC 8259); false when the text is not exactly one.
bool parseDecimal(std::string_view text, Decimal& out);

// A number as nlohmann holds it. A double that holds an integer up to 2^64
// is that integer exactly (2^64 is 18446744073709551616, the bound people
// write); any other is the shortest text that reads back as it, what dump()
// writes (0.1 is 0.1, 1e300 is 1e300). False for NaN and the infinities, and
// for non-numbers.
bool decimalOf(const nlohmann::json& value, Decimal& out);

// -1, 0 or 1 as a is less than, equal to or greater than b.
int compareDecimals(const Decimal& a, const Decimal& b);

bool isIntegral(const Decimal& value);

// Whether the number token `token` is not exactly the number `held`, the
// value the reader made of it; `written` gets the token's decimal.
bool differsFromHeld(std::string_view token, const nlohmann::json& held, Decimal& written);

// The subtype of a binary value that carries a number as written (in a
// copy of a document that must keep it exactly); JsonWriter writes such a
// value as the number. Only this library makes them, from number tokens.
constexpr std::uint64_t kWrittenNumberSubtype = 0x4e;

// The value as a sign and a 64-bit magnitude, when it is an integer that
// fits.
bool integerOf(const Decimal& value, bool& negative, std::uint64_t& magnitude);

// Whether value is an integer multiple of divisor, which must be positive
// with digits up to 2^64, as those of any number nlohmann holds are (false
// otherwise). Time linear in value's digits, logarithmic in the exponents.
bool isMultipleOf(const Decimal& value, const Decimal& divisor);

}  // namespace OrvexConfigValidate
