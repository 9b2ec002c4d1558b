#include "semantic/BridgeRules.hpp"

#include "Suggestion.hpp"

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

void checkBridge(const ConfigBridge& bridge, const Configuration& configuration,
                 ValidationResult& result, bool strict) {
    if (!bridge.namesGroups) {
        result.addIssue(bridgeIssue(Severity::Warning, makeBridgePath(bridge.index, bridge.id),
                                    IssueCode::kBridgeEmptyGroups, "Enabled bridge has no groups",
                                    configuration.bridgePointer(bridge.index), bridge.id));
        return;
    }
    for (const ConfigGroupReference& reference : bridge.references) {
        if (configuration.group(reference.groupId) != nullptr) continue;
        const std::string entry = "/groups/" + std::to_string(reference.position);
        Issue issue = bridgeIssue(Severity::Error, makeBridgePath(bridge.index, bridge.id) + entry,
                                  IssueCode::kMissingGroupRef,
                                  "Bridge references group id '" + std::string(reference.groupId) +
                                      "' which has no definition",
                                  configuration.referencePointer(bridge.index, reference.position),
                                  bridge.id);
        if (strict) {
            const std::string close = closestName(reference.groupId, configuration.groupIds());
            if (!close.empty()) issue.hint = didYouMean(close);
            const std::string only = onlyClosestName(reference.groupId, configuration.groupIds());
            if (!only.empty()) issue.suggestion = only;
        }
        result.addIssue(std::move(issue));
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

void checkBridges(const Configuration& configuration, ValidationResult& result, bool strict) {
    for (const ConfigBridge& bridge : configuration.bridges()) {
        if (bridge.enabled) checkBridge(bridge, configuration, result, strict);
    }
}

}  // namespace OrvexConfigValidate
