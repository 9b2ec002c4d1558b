#include "review/ExactNumbers.hpp"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "json/ParsedTextAccess.hpp"
#include "json/WrittenNumbers.hpp"

namespace OrvexConfigValidate {

namespace {

using Json = nlohmann::json;

Json carried(const WrittenNumber& number) {
    return Json::binary(std::vector<std::uint8_t>(number.text.begin(), number.text.end()),
                        kWrittenNumberSubtype);
}

bool decimalOfNumber(const Json& value, Decimal& out) {
    if (!isWrittenNumber(value)) return value.is_number_float() && decimalOf(value, out);
    const Json::binary_t& bytes = value.get_binary();
    return parseDecimal(std::string(bytes.begin(), bytes.end()), out);
}

}  // namespace

std::optional<Json> exactDocument(const ParsedText& parsed) {
    const ParsedTextAccess::Impl& parts = ParsedTextAccess::of(parsed);
    if (parts.numbers.empty()) return std::nullopt;
    Json copy = parts.document;
    // The original and its copy walked side by side, without recursion.
    std::vector<std::pair<const Json*, Json*>> pending{{&parts.document, &copy}};
    while (!pending.empty()) {
        const auto [original, value] = pending.back();
        pending.pop_back();
        if (original->is_object()) {
            auto to = value->begin();
            for (auto from = original->begin(); from != original->end(); ++from, ++to) {
                pending.emplace_back(&from.value(), &to.value());
            }
        } else if (original->is_array()) {
            for (std::size_t i = 0; i < original->size(); ++i) {
                pending.emplace_back(&(*original)[i], &(*value)[i]);
            }
        } else if (const WrittenNumber* number = parts.numbers.find(original)) {
            if (original->is_number_float() && number->held == original->get<double>()) {
                *value = carried(*number);
            }
        }
    }
    return copy;
}

bool isWrittenNumber(const Json& value) {
    return value.is_binary() && value.get_binary().has_subtype() &&
           value.get_binary().subtype() == kWrittenNumberSubtype;
}

bool sameFloat(const Json& a, const Json& b) {
    Decimal left;
    Decimal right;
    return decimalOfNumber(a, left) && decimalOfNumber(b, right) &&
           compareDecimals(left, right) == 0;
}

}  // namespace OrvexConfigValidate
