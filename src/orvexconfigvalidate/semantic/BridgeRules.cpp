#include "semantic/BridgeRules.hpp"

#include <cstddef>
#include <vector>

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

// A suggestion compares a missing id with every defined one, so many missing
// ids against many defined ones would cost their product. The suggestions of
// one check share a fixed allowance of work, counted in bytes compared;
// references past it get none (suggestions are a courtesy, the issue stays).
class SuggestionAllowance {
  public:
    static constexpr std::size_t kBytes = std::size_t{1} << 26;

    explicit SuggestionAllowance(const std::vector<std::string_view>& ids) {
        for (const std::string_view id : ids) idBytes += id.size() + 1;
    }

    // Takes the cost of one suggestion for `name`; false when it is spent.
    bool take(std::string_view name, std::size_t idCount) {
        // Two passes over the ids: the closest, then whether it is the only one.
        const std::size_t cost = 2 * (idBytes + idCount * (name.size() + 1));
        if (cost > left) {
            left = 0;
            return false;
        }
        left -= cost;
        return true;
    }

  private:
    std::size_t idBytes = 0;
    std::size_t left = kBytes;
};

void suggest(Issue& issue, std::string_view groupId, const Configuration& configuration,
             SuggestionAllowance& allowance) {
    const std::vector<std::string_view>& ids = configuration.groupIds();
    if (!allowance.take(groupId, ids.size())) return;
    const std::string close = closestName(groupId, ids);
    if (!close.empty()) issue.hint = didYouMean(close);
    const std::string only = onlyClosestName(groupId, close, ids);
    if (!only.empty()) issue.suggestion = only;
}

void checkBridge(const ConfigBridge& bridge, const Configuration& configuration,
                 ValidationResult& result, SuggestionAllowance* allowance) {
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
        if (allowance != nullptr) suggest(issue, reference.groupId, configuration, *allowance);
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
    SuggestionAllowance allowance(configuration.groupIds());
    for (const ConfigBridge& bridge : configuration.bridges()) {
        if (bridge.enabled)
            checkBridge(bridge, configuration, result, strict ? &allowance : nullptr);
    }
}

}  // namespace OrvexConfigValidate
