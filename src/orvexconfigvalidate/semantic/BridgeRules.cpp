#include "semantic/BridgeRules.hpp"

#include <cstddef>

#include "Suggestion.hpp"
#include "semantic/MemberReaders.hpp"

namespace OrvexConfigValidate {

namespace {

Issue bridgeIssue(Severity severity, std::string path, const char* code, std::string message,
                  std::string pointer, std::string_view id) {
    Issue issue;
    issue.severity = severity;
    issue.path = std::move(path);
    issue.code = code;
    issue.message = std::move(message);
    issue.pointer = std::move(pointer);
    issue.id = std::string(id);
    return issue;
}

void checkBridge(const nlohmann::json& bridge, std::uint64_t index, const GroupIdIndex& groupIds,
                 ValidationResult& result, const RuleContext& context) {
    const std::string_view id = readId(bridge);
    const nlohmann::json* groups = findMember(bridge, "groups");
    if (groups == nullptr || !groups->is_array() || groups->empty()) {
        result.addIssue(bridgeIssue(Severity::Warning, makeBridgePath(index, id),
                                    "bridge_empty_groups", "Enabled bridge has no groups",
                                    context.bridgePointer(index), id));
        return;
    }
    const auto& entries = groups->get_ref<const nlohmann::json::array_t&>();
    for (std::size_t j = 0; j < entries.size(); ++j) {
        if (!entries[j].is_string()) {
            continue;
        }
        const std::string& groupId = entries[j].get_ref<const std::string&>();
        if (!groupIds.contains(groupId)) {
            const std::string entry = "/groups/" + std::to_string(j);
            Issue issue =
                bridgeIssue(Severity::Error, makeBridgePath(index, id) + entry, "missing_group_ref",
                            "Bridge references group id '" + groupId + "' which has no definition",
                            context.bridgePointer(index) + entry, id);
            if (context.strict) {
                const std::string close = closestName(groupId, groupIds.ids());
                if (!close.empty()) issue.hint = didYouMean(close);
            }
            result.addIssue(std::move(issue));
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
                  ValidationResult& result, const RuleContext& context) {
    const nlohmann::json* bridges = findMember(bridgingDocument, "bridges");
    if (bridges == nullptr || !bridges->is_array()) {
        return;
    }
    const auto& elements = bridges->get_ref<const nlohmann::json::array_t&>();
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (elements[i].is_object() && isBridgeEnabled(elements[i])) {
            checkBridge(elements[i], i, groupIds, result, context);
        }
    }
}

}  // namespace OrvexConfigValidate
