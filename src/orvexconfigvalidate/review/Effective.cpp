#include <orvexconfigvalidate/Effective.hpp>

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "model/MemberReaders.hpp"
#include "review/ValueDiff.hpp"
#include "semantic/GroupRules.hpp"

namespace OrvexConfigValidate {

namespace {

// What a forcing mode makes of groups, or null under a mode that forces
// nothing.
const ForcedGroupSettings* forcedUnder(std::int32_t mode) {
    for (const char* code :
         {IssueCode::kModeForceRaw, IssueCode::kModeForceMultistream, IssueCode::kModeForceMixed}) {
        const ForcedGroupSettings* forced = forcedGroupSettings(code);
        if (forced != nullptr && forced->mode == mode) return forced;
    }
    return nullptr;
}

class EffectiveBuilder {
  public:
    explicit EffectiveBuilder(EffectiveConfiguration& out) : out_(out) {}

    // An integer member as the readers read it; listed when not as written.
    std::int32_t readInt(nlohmann::json& object, int source, const std::string& pointer,
                         const char* key, std::int32_t fallback) {
        const std::int32_t value = getIntOr(object, key, fallback);
        const nlohmann::json* written = findMember(object, key);
        if (written == nullptr || !written->is_number_integer()) {
            note(written == nullptr ? EffectiveValue::Reason::Absent
                                    : EffectiveValue::Reason::Mistyped,
                 source, member(pointer, key), written, value, "");
            object[key] = value;
        }
        return value;
    }

    void force(nlohmann::json& object, const std::string& pointer, const char* key,
               std::int32_t value, const char* code) {
        const nlohmann::json* written = findMember(object, key);
        note(EffectiveValue::Reason::Forced, 1, member(pointer, key), written, value, code);
        object[key] = value;
    }

    void note(EffectiveValue::Reason reason, int source, std::string pointer,
              const nlohmann::json* written, const nlohmann::json& value, const char* code) {
        EffectiveValue entry;
        entry.reason = reason;
        entry.source = source;
        entry.pointer = std::move(pointer);
        if (written != nullptr) entry.written = *written;
        entry.value = value;
        entry.code = code;
        out_.values.push_back(std::move(entry));
    }

    static std::string member(const std::string& pointer, const char* key) {
        std::string out = pointer;
        appendPointerToken(out, key);
        return out;
    }

  private:
    EffectiveConfiguration& out_;
};

void effectiveGroup(nlohmann::json& group, const std::string& pointer, std::int32_t mode,
                    EffectiveBuilder& builder) {
    const std::int32_t type = builder.readInt(group, 1, pointer, "type", gtUnknown);
    nlohmann::json* detail =
        group.contains("bridgeTargetOutputDetail") ? &group["bridgeTargetOutputDetail"] : nullptr;
    const std::string detailPointer = EffectiveBuilder::member(pointer, "bridgeTargetOutputDetail");
    if (detail == nullptr || !detail->is_object()) {
        // The server reads the output mode as bomRaw then.
        builder.note(
            detail == nullptr ? EffectiveValue::Reason::Absent : EffectiveValue::Reason::Mistyped,
            1, detailPointer, detail, nlohmann::json{{"mode", bomRaw}}, "");
        group["bridgeTargetOutputDetail"] = nlohmann::json::object();
        detail = &group["bridgeTargetOutputDetail"];
        (*detail)["mode"] = bomRaw;
    }
    const std::int32_t outputMode = builder.readInt(*detail, 1, detailPointer, "mode", bomRaw);
    const ForcedGroupSettings* forced = forcedUnder(mode);
    if (forced == nullptr) return;
    const bool typeDiffers = forced->type && type != *forced->type;
    // The server forces exactly when the check tells of it.
    if (!typeDiffers && outputMode == forced->outputMode) return;
    if (typeDiffers) {
        builder.force(group, pointer, "type", *forced->type, forced->code);
    }
    if (outputMode != forced->outputMode) {
        builder.force(*detail, detailPointer, "mode", forced->outputMode, forced->code);
    }
}

void effectiveBridges(nlohmann::json& bridges, std::int32_t mode, EffectiveBuilder& builder) {
    if (!bridges.is_object()) return;
    const auto groups = bridges.find("groups");
    if (groups != bridges.end() && groups->is_array()) {
        for (std::size_t i = 0; i < groups->size(); ++i) {
            nlohmann::json& group = (*groups)[i];
            if (group.is_object())
                effectiveGroup(group, "/groups/" + std::to_string(i), mode, builder);
        }
    }
    const auto list = bridges.find("bridges");
    if (list == bridges.end() || !list->is_array()) return;
    for (std::size_t i = 0; i < list->size(); ++i) {
        nlohmann::json& bridge = (*list)[i];
        if (!bridge.is_object()) continue;
        const nlohmann::json* enabled = findMember(bridge, "enabled");
        if (enabled != nullptr && enabled->is_boolean()) continue;
        const bool value = isBridgeEnabled(bridge);
        builder.note(
            enabled == nullptr ? EffectiveValue::Reason::Absent : EffectiveValue::Reason::Mistyped,
            1, "/bridges/" + std::to_string(i) + "/enabled", enabled, value, "");
        bridge["enabled"] = value;
    }
}

}  // namespace

EffectiveConfiguration effectiveConfiguration(const nlohmann::json* server,
                                              const nlohmann::json* bridges) {
    for (const nlohmann::json* document : {server, bridges}) {
        if (document != nullptr && nestingDepth(*document) > kCompareMaxDepth) {
            throw std::invalid_argument("a document nests deeper than " +
                                        std::to_string(kCompareMaxDepth) + " levels");
        }
    }
    EffectiveConfiguration out;
    EffectiveBuilder builder(out);
    std::int32_t mode = omADictatedByGroup;
    if (server != nullptr) {
        out.server = *server;
        mode = out.server.is_object() ? builder.readInt(out.server, 0, "", "mode", omRaw) : omRaw;
    }
    if (bridges != nullptr) {
        out.bridges = *bridges;
        effectiveBridges(out.bridges, mode, builder);
    }
    return out;
}

}  // namespace OrvexConfigValidate
