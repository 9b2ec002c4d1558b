#include "model/MemberReaders.hpp"

#include <orvexconfigvalidate/Configuration.hpp>

namespace OrvexConfigValidate {

const nlohmann::json* findMember(const nlohmann::json& value, std::string_view key) {
    return JsonView(value).member(key).json();
}

std::int32_t getIntOr(JsonView value, std::string_view key, std::int32_t fallback) {
    const JsonView member = value.member(key);
    if (!member) return fallback;
    return readInt32(member).value_or(fallback);
}

std::string_view readString(JsonView value, std::string_view key) {
    const JsonView found = value.member(key);
    return found.isString() ? found.string() : std::string_view();
}

std::string_view readId(JsonView value) {
    return readString(value, "id");
}

bool isBridgeEnabled(JsonView bridge) {
    const JsonView enabled = bridge.member("enabled");
    return !enabled.isBoolean() || enabled.boolean();
}

bool hasNonEmptyArray(JsonView value, std::string_view key) {
    const JsonView member = value.member(key);
    return member.isArray() && member.size() != 0;
}

bool hasNonEmptyObject(JsonView value, std::string_view key) {
    const JsonView member = value.member(key);
    return member.isObject() && member.size() != 0;
}

}  // namespace OrvexConfigValidate
