#include "semantic/GroupRules.hpp"

#include "model/MemberReaders.hpp"

namespace OrvexConfigValidate {

namespace {

// Most groups draw no issue, so their path and pointer are only built on
// the first one.
class GroupIssues {
  public:
    GroupIssues(const ConfigGroup& group, const Configuration& configuration,
                ValidationResult& result)
        : group_(group), configuration_(configuration), result_(result) {}

    Issue& add(Severity severity, const char* code, std::string message) {
        if (path_.empty()) {
            path_ = makeGroupPath(group_.index, group_.id);
            pointer_ = configuration_.groupPointer(group_.index);
        }
        Issue issue;
        issue.severity = severity;
        issue.path = path_;
        issue.code = code;
        issue.message = std::move(message);
        issue.pointer = pointer_;
        issue.id = std::string(group_.id);
        result_.addIssue(std::move(issue));
        return result_.issues.back();
    }

  private:
    const ConfigGroup& group_;
    const Configuration& configuration_;
    ValidationResult& result_;
    std::string path_;
    std::string pointer_;
};

bool hasAppTransport(const JsonView& group) {
    return !readId(group.member("appTransport")).empty();
}

void checkDuplicateId(const ConfigGroup& group, const Configuration& configuration,
                      GroupIssues& issues) {
    const ConfigGroup* first = &configuration.firstWithSameId(group);
    if (first == &group) return;
    Issue& issue = issues.add(Severity::Error, IssueCode::kDuplicateGroupId,
                              "Duplicate group id '" + std::string(group.id) + "' (also at index " +
                                  std::to_string(first->index) + ")");
    issue.relatedPointer = configuration.groupPointer(first->index);
}

void checkAudioRequirement(std::int32_t mode, const ConfigGroup& group, GroupIssues& issues) {
    if ((mode == omMultistream || mode == omMixedStream) && group.type != gtAudio) {
        issues.add(Severity::Error, IssueCode::kModeRequiresAudioGroup,
                   "Server mode " + std::to_string(mode) +
                       " requires group type gtAudio (1); found type " +
                       std::to_string(group.type));
    }
}

// Under omADictatedByGroup the group's own output mode must fit its type.
void checkDictatedOutputMode(const ConfigGroup& group, GroupIssues& issues) {
    const std::int32_t type = group.type;
    const std::int32_t outputMode = group.outputMode;
    if (outputMode == bomRaw && type != gtRaw) {
        issues.add(Severity::Error, IssueCode::kBomTypeMismatch,
                   "bomRaw requires group type gtRaw (3); found type " + std::to_string(type));
    } else if ((outputMode == bomMultistream || outputMode == bomMixedStream) && type != gtAudio) {
        issues.add(Severity::Error, IssueCode::kBomTypeMismatch,
                   "BOM " + std::to_string(outputMode) +
                       " requires group type gtAudio (1); found type " + std::to_string(type));
    }
}

const ForcedGroupSettings kForced[] = {
    {IssueCode::kModeForceRaw, omRaw, gtRaw, bomRaw},
    {IssueCode::kModeForceMultistream, omMultistream, std::nullopt, bomMultistream},
    {IssueCode::kModeForceMixed, omMixedStream, std::nullopt, bomMixedStream},
};

const char* forcedMessage(std::int32_t mode) {
    switch (mode) {
        case omRaw:
            return "Server mode omRaw will force group type=gtRaw and BOM=bomRaw at runtime";
        case omMultistream:
            return "Server mode omMultistream will force BOM=bomMultistream at runtime";
        default:
            return "Server mode omMixedStream will force BOM=bomMixedStream at runtime";
    }
}

// The forcing modes only tell what the server will override at run time.
void checkModeRule(std::int32_t mode, const ConfigGroup& group, GroupIssues& issues) {
    if (mode == omADictatedByGroup) {
        checkDictatedOutputMode(group, issues);
        return;
    }
    for (const ForcedGroupSettings& forced : kForced) {
        if (forced.mode != mode) continue;
        const bool typeDiffers = forced.type && group.type != *forced.type;
        if (typeDiffers || group.outputMode != forced.outputMode) {
            issues.add(Severity::Info, forced.code, forcedMessage(mode));
        }
    }
}

bool hasNetworking(const JsonView& group) {
    return hasNonEmptyArray(group, "vortapoints") || hasNonEmptyObject(group, "tx") ||
           hasNonEmptyObject(group, "rx") || hasAppTransport(group);
}

const char* const kNoNetworking =
    "Group has no vortapoints, tx/rx, or appTransport \xE2\x80\x94 may blackhole";

}  // namespace

const ForcedGroupSettings* forcedGroupSettings(std::string_view code) {
    for (const ForcedGroupSettings& forced : kForced) {
        if (code == forced.code) return &forced;
    }
    return nullptr;
}

std::string makeGroupPath(std::uint64_t index, std::string_view id) {
    std::string path = "/bridges/groups/" + std::to_string(index);
    if (!id.empty()) {
        path.append(" (id=").append(id).append(")");
    }
    return path;
}

void checkGroupNetworking(JsonView group, std::uint64_t index, ValidationResult& result,
                          const std::string& pointer) {
    if (hasNetworking(group)) return;
    const std::string_view id = readId(group);
    Issue issue;
    issue.severity = Severity::Warning;
    issue.path = makeGroupPath(index, id);
    issue.code = IssueCode::kGroupNoNetworking;
    issue.message = kNoNetworking;
    issue.pointer = pointer;
    issue.id = std::string(id);
    result.addIssue(std::move(issue));
}

void checkGroups(const Configuration& configuration, ValidationResult& result) {
    const std::int32_t mode = configuration.serverMode();
    for (const ConfigGroup& group : configuration.groups()) {
        GroupIssues issues(group, configuration, result);
        checkDuplicateId(group, configuration, issues);
        checkAudioRequirement(mode, group, issues);
        checkModeRule(mode, group, issues);
        if (!hasNetworking(group.value)) {
            issues.add(Severity::Warning, IssueCode::kGroupNoNetworking, kNoNetworking);
        }
    }
}

}  // namespace OrvexConfigValidate
