#include "GroupIdRequests.hpp"

#include "Diagnostics.hpp"
#include "GroupIds.hpp"
#include "JsonRpc.hpp"
#include "ProtocolKinds.hpp"
#include "RequestParams.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

struct Target {
    const Configuration& configuration;
    GroupIdAt at;
};

std::optional<Target> targetOf(const FeatureContext& context) {
    const Configuration* configuration = context.document.configuration();
    if (configuration == nullptr) return std::nullopt;
    std::optional<GroupIdAt> at =
        groupIdAt(*configuration, context.document.parsed(), context.offset());
    if (!at) return std::nullopt;
    return Target{*configuration, std::move(*at)};
}

nlohmann::json rangeOfSite(const TextLocation& location, const TextPositions& positions) {
    return rangeBetween(location.offset, location.offset + location.length, positions);
}

bool includesDeclaration(const nlohmann::json& params) {
    const auto context = params.find("context");
    if (context == params.end() || !context->is_object()) return true;
    const auto include = context->find("includeDeclaration");
    return include == context->end() || !include->is_boolean() || include->get<bool>();
}

}  // namespace

nlohmann::json references(const FeatureContext& context) {
    const std::optional<Target> target = targetOf(context);
    if (!target) return nullptr;
    const bool declarations = includesDeclaration(context.params);
    nlohmann::json out = nlohmann::json::array();
    for (const GroupIdSite& site :
         groupIdSites(target->configuration, context.document.parsed(), target->at.id)) {
        if (site.definition && !declarations) continue;
        out.push_back({{"uri", context.document.uri},
                       {"range", rangeOfSite(site.location, context.positions)}});
    }
    return out;
}

nlohmann::json documentHighlight(const FeatureContext& context) {
    const std::optional<Target> target = targetOf(context);
    if (!target) return nullptr;
    nlohmann::json out = nlohmann::json::array();
    for (const GroupIdSite& site :
         groupIdSites(target->configuration, context.document.parsed(), target->at.id)) {
        out.push_back({{"range", rangeOfSite(site.location, context.positions)},
                       {"kind", site.definition ? DocumentHighlightKind::kWrite
                                                : DocumentHighlightKind::kRead}});
    }
    return out;
}

nlohmann::json prepareRename(const FeatureContext& context) {
    const std::optional<Target> target = targetOf(context);
    if (!target) return nullptr;
    return {{"range", rangeOfSite(target->at.location, context.positions)},
            {"placeholder", target->at.id}};
}

nlohmann::json rename(const FeatureContext& context) {
    const std::string newId = stringMember(context.params, "newName", "params");
    const std::optional<Target> target = targetOf(context);
    if (!target) throw RequestError{ErrorCode::kRequestFailed, "there is no group id here"};
    if (newId.empty()) throw RequestError{ErrorCode::kRequestFailed, "a group id cannot be empty"};
    nlohmann::json edits = nlohmann::json::array();
    if (newId != target->at.id) {
        if (target->configuration.group(newId) != nullptr) {
            throw RequestError{ErrorCode::kRequestFailed,
                               "a group already defines id '" + newId + "'"};
        }
        const std::string literal = serialise(nlohmann::json(newId));
        for (const GroupIdSite& site :
             groupIdSites(target->configuration, context.document.parsed(), target->at.id)) {
            edits.push_back(
                {{"range", rangeOfSite(site.location, context.positions)}, {"newText", literal}});
        }
    }
    return {{"changes", {{context.document.uri, std::move(edits)}}}};
}

}  // namespace OrvexConfigValidate::Lsp
