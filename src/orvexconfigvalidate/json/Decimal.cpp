#include "json/Decimal.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace OrvexConfigValidate {
namespace {

// Products of two values up to 2^64.
__extension__ typedef unsigned __int128 Wide;

constexpr double kTwoTo64 = 18446744073709551616.0;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t skipDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && isDigit(text[at])) ++at;
    return at;
}

// The exponent part after 'e' (sign and digits), saturated at the limit.
bool readExponent(std::string_view text, std::size_t at, std::int64_t& exponent) {
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    const std::size_t end = skipDigits(text, at);
    if (end == at || end != text.size()) return false;
    std::int64_t value = 0;
    for (std::size_t k = at; k < end; ++k)
        value = std::min(value * 10 + (text[k] - '0'), kDecimalExponentLimit);
    exponent = negative ? -value : value;
    return true;
}

// Drops leading and trailing zeros of the mantissa, moving the exponent.
void normalize(Decimal& value) {
    const std::size_t first = value.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        value = Decimal{};
        return;
    }
    const std::size_t last = value.digits.find_last_not_of('0');
    value.exponent += static_cast<std::int64_t>(value.digits.size() - 1 - last);
    value.digits.erase(last + 1);
    value.digits.erase(0, first);
}

Decimal fromMagnitude(bool negative, std::uint64_t magnitude) {
    Decimal value;
    value.negative = negative;
    value.digits = std::to_string(magnitude);
    normalize(value);
    return value;
}

// The place of the leading digit: values with a larger one are larger.
std::int64_t magnitudeOrder(const Decimal& value) {
    return value.exponent + static_cast<std::int64_t>(value.digits.size());
}

int compareMagnitudes(const Decimal& a, const Decimal& b) {
    const std::int64_t orderA = magnitudeOrder(a);
    const std::int64_t orderB = magnitudeOrder(b);
    if (orderA != orderB) return orderA < orderB ? -1 : 1;
    // Same leading place: digit by digit, and with no trailing zeros the
    // longer of two equal prefixes is the larger.
    const int order = a.digits.compare(b.digits);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// Moduli up to 2^64: products of two residues stay below 2^128.
constexpr Wide kLargestModulus = Wide{1} << 64;

Wide remainderOf(const std::string& digits, Wide modulus) {
    // Nineteen digits at a time: a remainder below 2^64 times 10^19 plus a
    // chunk stays below 2^128.
    constexpr std::size_t kChunk = 19;
    Wide remainder = 0;
    for (std::size_t at = 0; at < digits.size(); at += kChunk) {
        const std::size_t length = std::min(kChunk, digits.size() - at);
        std::uint64_t chunk = 0;
        std::uint64_t scale = 1;
        for (std::size_t k = 0; k < length; ++k) {
            chunk = chunk * 10 + static_cast<std::uint64_t>(digits[at + k] - '0');
            scale *= 10;
        }
        remainder = (remainder * scale + chunk) % modulus;
    }
    return remainder;
}

Wide powerOfTen(std::int64_t exponent, Wide modulus) {
    Wide result = 1 % modulus;
    Wide base = 10 % modulus;
    for (auto rest = static_cast<std::uint64_t>(exponent); rest > 0; rest >>= 1) {
        if ((rest & 1) != 0) result = result * base % modulus;
        base = base * base % modulus;
    }
    return result;
}

// The integer an integral double holds, exactly: its mantissa times a
// power of two, worked out in base-10^9 limbs (at most 35 for 2^1024).
std::string integralDigits(double value) {
    int binaryExponent = 0;
    const double fraction = std::frexp(std::fabs(value), &binaryExponent);
    // |value| = mantissa × 2^shift with a 53-bit mantissa.
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    int shift = binaryExponent - 53;
    if (shift <= 0) return std::to_string(mantissa >> -shift);
    constexpr std::uint64_t kLimb = 1'000'000'000;
    std::vector<std::uint64_t> limbs;  // least significant first
    for (; mantissa > 0; mantissa /= kLimb) limbs.push_back(mantissa % kLimb);
    while (shift > 0) {
        const int step = std::min(shift, 29);  // a limb times 2^29 stays below 2^59
        std::uint64_t carry = 0;
        for (std::uint64_t& limb : limbs) {
            const std::uint64_t product = (limb << step) + carry;
            limb = product % kLimb;
            carry = product / kLimb;
        }
        for (; carry > 0; carry /= kLimb) limbs.push_back(carry % kLimb);
        shift -= step;
    }
    std::string digits = std::to_string(limbs.back());
    for (auto it = limbs.rbegin() + 1; it != limbs.rend(); ++it) {
        const std::string limb = std::to_string(*it);
        digits.append(9 - limb.size(), '0');
        digits += limb;
    }
    return digits;
}

}  // namespace

bool parseDecimal(std::string_view text, Decimal& out) {
    std::size_t at = 0;
    const bool negative = at < text.size() && text[at] == '-';
    if (negative) ++at;
    const std::size_t integerEnd = skipDigits(text, at);
    if (integerEnd == at || (text[at] == '0' && integerEnd - at > 1)) return false;
    std::size_t fractionEnd = integerEnd;
    if (integerEnd < text.size() && text[integerEnd] == '.') {
        fractionEnd = skipDigits(text, integerEnd + 1);
        if (fractionEnd == integerEnd + 1) return false;
    }
    std::int64_t exponent = 0;
    if (fractionEnd < text.size()) {
        if (text[fractionEnd] != 'e' && text[fractionEnd] != 'E') return false;
        if (!readExponent(text, fractionEnd + 1, exponent)) return false;
    }
    Decimal value;
    value.negative = negative;
    value.digits.reserve(fractionEnd - at);
    value.digits.append(text.data() + at, integerEnd - at);
    if (fractionEnd > integerEnd) {
        value.digits.append(text.data() + integerEnd + 1, fractionEnd - integerEnd - 1);
        exponent -= static_cast<std::int64_t>(fractionEnd - integerEnd - 1);
    }
    value.exponent = exponent;
    normalize(value);
    out = std::move(value);
    return true;
}

bool decimalOf(const nlohmann::json& value, Decimal& out) {
    if (value.is_number_unsigned()) {
        out = fromMagnitude(false, value.get<std::uint64_t>());
        return true;
    }
    if (value.is_number_integer()) {
        const std::int64_t v = value.get<std::int64_t>();
        // Negating INT64_MIN overflows; its magnitude is taken in unsigned.
        out = fromMagnitude(v < 0, v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v)
                                         : static_cast<std::uint64_t>(v));
        return true;
    }
    if (!value.is_number_float()) return false;
    const double d = value.get<double>();
    if (!std::isfinite(d)) return false;
    if (d != std::floor(d) || std::fabs(d) > kTwoTo64) return parseDecimal(value.dump(), out);
    Decimal integer;
    integer.negative = d < 0;
    integer.digits = integralDigits(d);
    normalize(integer);
    out = std::move(integer);
    return true;
}

int compareDecimals(const Decimal& a, const Decimal& b) {
    const int signA = a.zero() ? 0 : (a.negative ? -1 : 1);
    const int signB = b.zero() ? 0 : (b.negative ? -1 : 1);
    if (signA != signB) return signA < signB ? -1 : 1;
    if (signA == 0) return 0;
    const int order = compareMagnitudes(a, b);
    return signA < 0 ? -order : order;
}

bool isIntegral(const Decimal& value) {
    return value.exponent >= 0;
}

bool integerOf(const Decimal& value, bool& negative, std::uint64_t& magnitude) {
    // 2^64 has twenty digits.
    if (!isIntegral(value) || magnitudeOrder(value) > 20) return false;
    std::uint64_t result = 0;
    for (const char c : value.digits) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (result > (UINT64_MAX - digit) / 10) return false;
        result = result * 10 + digit;
    }
    for (std::int64_t k = 0; k < value.exponent; ++k) {
        if (result > UINT64_MAX / 10) return false;
        result *= 10;
    }
    negative = value.negative;
    magnitude = result;
    return true;
}

bool isMultipleOf(const Decimal& value, const Decimal& divisor) {
    if (divisor.zero() || divisor.negative || divisor.digits.size() > 20) return false;
    Wide mantissa = 0;
    for (const char c : divisor.digits) mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
    if (mantissa > kLargestModulus) return false;
    if (value.zero()) return true;
    // value / divisor = digits × 10^shift / mantissa. A negative shift
    // would need digits to end in a zero, which normalized digits never do.
    const std::int64_t shift = value.exponent - divisor.exponent;
    if (shift < 0) return false;
    return remainderOf(value.digits, mantissa) * powerOfTen(shift, mantissa) % mantissa == 0;
}

bool differsFromHeld(std::string_view token, const nlohmann::json& held, Decimal& written) {
    Decimal value;
    if (!parseDecimal(token, written) || !decimalOf(held, value)) return false;
    return compareDecimals(written, value) != 0;
}

}  // namespace OrvexConfigValidate
