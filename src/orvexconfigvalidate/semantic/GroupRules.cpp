#include "semantic/GroupRules.hpp"

#include "semantic/ConfigEnums.hpp"
#include "semantic/MemberReaders.hpp"

namespace OrvexConfigValidate {

namespace {

// Most groups draw no issue, so their path and pointer are only built on
// the first one.
class LazyGroupPath {
  public:
    LazyGroupPath(std::uint64_t index, std::string_view id, const RuleContext& context)
        : index_(index), id_(id), context_(&context) {}

    void add(ValidationResult& result, Severity severity, const char* code, std::string message) {
        if (path_.empty()) {
            path_ = makeGroupPath(index_, id_);
            pointer_ = context_->groupPointer(index_);
        }
        Issue issue;
        issue.severity = severity;
        issue.path = path_;
        issue.code = code;
        issue.message = std::move(message);
        issue.pointer = pointer_;
        issue.id = std::string(id_);
        result.addIssue(std::move(issue));
    }

  private:
    std::uint64_t index_;
    std::string_view id_;
    const RuleContext* context_;
    std::string path_;
    std::string pointer_;
};

std::int32_t readOutputMode(const nlohmann::json& group) {
    const nlohmann::json* detail = findMember(group, "bridgeTargetOutputDetail");
    if (detail == nullptr || !detail->is_object()) {
        return bomRaw;
    }
    return getIntOr(*detail, "mode", bomRaw);
}

bool hasAppTransport(const nlohmann::json& group) {
    const nlohmann::json* transport = findMember(group, "appTransport");
    return transport != nullptr && !readId(*transport).empty();
}

void checkDuplicateId(std::string_view id, std::uint64_t index, GroupIdIndex& ids,
                      LazyGroupPath& path, ValidationResult& result) {
    if (id.empty()) {
        return;
    }
    if (const auto first = ids.enterFirst(id, index)) {
        path.add(result, Severity::Error, "duplicate_group_id",
                 "Duplicate group id '" + std::string(id) + "' (also at index " +
                     std::to_string(*first) + ")");
    }
}

void checkAudioRequirement(std::int32_t mode, std::int32_t type, LazyGroupPath& path,
                           ValidationResult& result) {
    if ((mode == omMultistream || mode == omMixedStream) && type != gtAudio) {
        path.add(result, Severity::Error, "mode_requires_audio_group",
                 "Server mode " + std::to_string(mode) +
                     " requires group type gtAudio (1); found type " + std::to_string(type));
    }
}

// Under omADictatedByGroup the group's own output mode must fit its type.
void checkDictatedOutputMode(std::int32_t type, std::int32_t outputMode, LazyGroupPath& path,
                             ValidationResult& result) {
    if (outputMode == bomRaw && type != gtRaw) {
        path.add(result, Severity::Error, "bom_type_mismatch",
                 "bomRaw requires group type gtRaw (3); found type " + std::to_string(type));
    } else if ((outputMode == bomMultistream || outputMode == bomMixedStream) && type != gtAudio) {
        path.add(result, Severity::Error, "bom_type_mismatch",
                 "BOM " + std::to_string(outputMode) +
                     " requires group type gtAudio (1); found type " + std::to_string(type));
    }
}

// The forcing modes only tell what the server will override at run time.
void checkModeRule(std::int32_t mode, std::int32_t type, std::int32_t outputMode,
                   LazyGroupPath& path, ValidationResult& result) {
    switch (mode) {
        case omRaw:
            if (type != gtRaw || outputMode != bomRaw) {
                path.add(result, Severity::Info, "mode_force_raw",
                         "Server mode omRaw will force group type=gtRaw and BOM=bomRaw at runtime");
            }
            break;
        case omMultistream:
            if (outputMode != bomMultistream) {
                path.add(result, Severity::Info, "mode_force_multistream",
                         "Server mode omMultistream will force BOM=bomMultistream at "
                         "runtime");
            }
            break;
        case omMixedStream:
            if (outputMode != bomMixedStream) {
                path.add(result, Severity::Info, "mode_force_mixed",
                         "Server mode omMixedStream will force BOM=bomMixedStream at "
                         "runtime");
            }
            break;
        case omADictatedByGroup:
            checkDictatedOutputMode(type, outputMode, path, result);
            break;
        default:
            break;
    }
}

}  // namespace

GroupSpan GroupSpan::ofArray(const nlohmann::json& array) {
    const auto& elements = array.get_ref<const nlohmann::json::array_t&>();
    return GroupSpan{elements.data(), elements.size()};
}

std::string makeGroupPath(std::uint64_t index, std::string_view id) {
    std::string path = "/bridges/groups/" + std::to_string(index);
    if (!id.empty()) {
        path.append(" (id=").append(id).append(")");
    }
    return path;
}

void checkGroupNetworking(const nlohmann::json& group, std::uint64_t index,
                          ValidationResult& result, const RuleContext& context) {
    const bool hasNetworking = hasNonEmptyArray(group, "vortapoints") ||
                               hasNonEmptyObject(group, "tx") || hasNonEmptyObject(group, "rx") ||
                               hasAppTransport(group);
    if (!hasNetworking) {
        LazyGroupPath path(index, readId(group), context);
        path.add(result, Severity::Warning, "group_no_networking",
                 "Group has no vortapoints, tx/rx, or appTransport \xE2\x80\x94 may "
                 "blackhole");
    }
}

GroupIdIndex checkGroups(std::int32_t mode, GroupSpan groups, ValidationResult& result,
                         const RuleContext& context) {
    GroupIdIndex ids;
    ids.reserve(groups.count);
    for (std::size_t i = 0; i < groups.count; ++i) {
        const nlohmann::json& group = groups.first[i];
        if (!group.is_object()) {
            continue;
        }
        const std::string_view id = readId(group);
        const std::int32_t type = getIntOr(group, "type", gtUnknown);
        const std::int32_t outputMode = readOutputMode(group);
        LazyGroupPath path(i, id, context);

        checkDuplicateId(id, i, ids, path, result);
        checkAudioRequirement(mode, type, path, result);
        checkModeRule(mode, type, outputMode, path, result);
        checkGroupNetworking(group, i, result, context);
    }
    return ids;
}

}  // namespace OrvexConfigValidate
