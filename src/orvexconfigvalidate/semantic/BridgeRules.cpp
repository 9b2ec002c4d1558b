#include "semantic/BridgeRules.hpp"

#include <cstddef>

#include "semantic/MemberReaders.hpp"

namespace OrvexConfigValidate {

namespace {

void checkBridge(const nlohmann::json& bridge, std::uint64_t index, const GroupIdIndex& groupIds,
                 ValidationResult& result) {
    const std::string_view id = readId(bridge);
    const nlohmann::json* groups = findMember(bridge, "groups");
    if (groups == nullptr || !groups->is_array() || groups->empty()) {
        result.addIssue(Severity::Warning, makeBridgePath(index, id), "bridge_empty_groups",
                        "Enabled bridge has no groups");
        return;
    }
    const auto& entries = groups->get_ref<const nlohmann::json::array_t&>();
    for (std::size_t j = 0; j < entries.size(); ++j) {
        if (!entries[j].is_string()) {
            continue;
        }
        const std::string& groupId = entries[j].get_ref<const std::string&>();
        if (!groupIds.contains(groupId)) {
            result.addIssue(Severity::Error,
                            makeBridgePath(index, id) + "/groups/" + std::to_string(j),
                            "missing_group_ref",
                            "Bridge references group id '" + groupId + "' which has no definition");
        }
    }
}

}  // namespace

std::string makeBridgePath(std::uint64_t index, std::string_view id) {
    std::string path = "/bridges/bridges/" + std::to_string(index);
    if (!id.empty()) {
        path.append(" (id=").append(id).append(")");
    }
    return path;
}

void checkBridges(const nlohmann::json& bridgingDocument, const GroupIdIndex& groupIds,
                  ValidationResult& result) {
    const nlohmann::json* bridges = findMember(bridgingDocument, "bridges");
    if (bridges == nullptr || !bridges->is_array()) {
        return;
    }
    const auto& elements = bridges->get_ref<const nlohmann::json::array_t&>();
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (elements[i].is_object() && isBridgeEnabled(elements[i])) {
            checkBridge(elements[i], i, groupIds, result);
        }
    }
}

}  // namespace OrvexConfigValidate
