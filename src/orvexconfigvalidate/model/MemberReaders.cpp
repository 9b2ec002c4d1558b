#include "model/MemberReaders.hpp"

#include <string>

#include <orvexconfigvalidate/Configuration.hpp>

namespace OrvexConfigValidate {

const nlohmann::json* findMember(const nlohmann::json& value, std::string_view key) {
    if (!value.is_object()) {
        return nullptr;
    }
    const auto it = value.find(key);
    return it == value.end() ? nullptr : &*it;
}

std::int32_t getIntOr(const nlohmann::json& value, std::string_view key, std::int32_t fallback) {
    const nlohmann::json* member = findMember(value, key);
    if (member == nullptr) {
        return fallback;
    }
    return readInt32(*member).value_or(fallback);
}

std::string_view readString(const nlohmann::json& value, std::string_view key) {
    const nlohmann::json* found = findMember(value, key);
    if (found == nullptr || !found->is_string()) return {};
    return found->get_ref<const std::string&>();
}

std::string_view readId(const nlohmann::json& value) {
    return readString(value, "id");
}

bool isBridgeEnabled(const nlohmann::json& bridge) {
    const nlohmann::json* enabled = findMember(bridge, "enabled");
    return enabled == nullptr || !enabled->is_boolean() || enabled->get<bool>();
}

bool hasNonEmptyArray(const nlohmann::json& value, std::string_view key) {
    const nlohmann::json* member = findMember(value, key);
    return member != nullptr && member->is_array() && !member->empty();
}

bool hasNonEmptyObject(const nlohmann::json& value, std::string_view key) {
    const nlohmann::json* member = findMember(value, key);
    return member != nullptr && member->is_object() && !member->empty();
}

}  // namespace OrvexConfigValidate
