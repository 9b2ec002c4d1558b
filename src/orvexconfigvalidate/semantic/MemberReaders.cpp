#include "semantic/MemberReaders.hpp"

#include <string>

namespace OrvexConfigValidate {

namespace {

// Two's-complement reading of the low 32 bits, without relying on
// implementation-defined narrowing.
std::int32_t lowBitsAsInt32(std::uint64_t value) {
    const std::int64_t low = static_cast<std::int64_t>(value & 0xFFFFFFFFu);
    return static_cast<std::int32_t>(low > INT32_MAX ? low - (std::int64_t{1} << 32) : low);
}

}  // namespace

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
    if (member->is_number_unsigned()) {
        return lowBitsAsInt32(member->get<std::uint64_t>());
    }
    if (member->is_number_integer()) {
        return lowBitsAsInt32(static_cast<std::uint64_t>(member->get<std::int64_t>()));
    }
    return fallback;
}

std::string_view readId(const nlohmann::json& value) {
    const nlohmann::json* id = findMember(value, "id");
    if (id == nullptr || !id->is_string()) {
        return {};
    }
    return id->get_ref<const std::string&>();
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
