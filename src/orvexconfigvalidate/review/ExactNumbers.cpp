#include "review/ExactNumbers.hpp"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "json/ParsedTextAccess.hpp"

namespace OrvexConfigValidate {

namespace {

using Json = nlohmann::json;

Json carried(std::string_view text) {
    return Json::binary(std::vector<std::uint8_t>(text.begin(), text.end()), kWrittenNumberSubtype);
}

bool decimalOfNumber(const Json& value, Decimal& out) {
    if (!isWrittenNumber(value)) return value.is_number_float() && decimalOf(value, out);
    const Json::binary_t& bytes = value.get_binary();
    return parseDecimal(std::string(bytes.begin(), bytes.end()), out);
}

}  // namespace

std::optional<Json> exactDocument(const Document& parsed) {
    Json copy = parsed.toJson();
    bool carries = false;
    // The view and the copy walked side by side, without recursion.
    std::vector<std::pair<JsonView, Json*>> pending{{parsed.root(), &copy}};
    while (!pending.empty()) {
        const auto [original, value] = pending.back();
        pending.pop_back();
        if (original.isObject()) {
            for (const JsonView::Member member : original.members()) {
                pending.emplace_back(member.value(), &(*value)[std::string(member.name())]);
            }
        } else if (original.isArray()) {
            std::size_t i = 0;
            for (const JsonView element : original.elements()) {
                pending.emplace_back(element, &(*value)[i++]);
            }
        } else if (original.isNumber() && !original.numberText().empty()) {
            *value = carried(original.numberText());
            carries = true;
        }
    }
    if (!carries) return std::nullopt;
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
