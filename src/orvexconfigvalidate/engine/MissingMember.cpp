#include "engine/MissingMember.hpp"

#include <algorithm>

#include "engine/SchemaNode.hpp"

namespace OrvexConfigValidate {

namespace {

bool has(const SchemaNode& node, Check check) {
    return std::find(node.checks.begin(), node.checks.end(), check) != node.checks.end();
}

// The declared default first: it is what the server takes for an absent
// member. Else the single value the schema allows.
const nlohmann::json* onlyValue(const SchemaNode& member) {
    if (member.defaultValue) return &*member.defaultValue;
    if (has(member, Check::Const)) return &member.constValue;
    if (has(member, Check::Enum) && member.enumValues.size() == 1) return &member.enumValues[0];
    return nullptr;
}

}  // namespace

nlohmann::json missingMemberFill(const SchemaNode& object, const std::string& name) {
    const auto& properties = object.properties;
    const auto found = std::lower_bound(
        properties.begin(), properties.end(), name,
        [](const auto& entry, const std::string& key) { return entry.first < key; });
    if (found == properties.end() || found->first != name || found->second == nullptr) return {};
    // References were resolved when the schema was compiled.
    const nlohmann::json* value = onlyValue(*found->second);
    if (value == nullptr) return {};
    nlohmann::json fill = nlohmann::json::object();
    fill[name] = *value;
    return fill;
}

}  // namespace OrvexConfigValidate
