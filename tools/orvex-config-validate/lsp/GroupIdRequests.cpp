#include "Replies.hpp"

#include <string>

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

Result rename(const FeatureContext& context) {
    const std::string newId = stringMember(context.params, "newName", "params");
    if (newId.size() > kLongestNewGroupId) {
        throw RequestError{
            ErrorCode::kRequestFailed,
            "a new group id is at most " + std::to_string(kLongestNewGroupId) + " bytes long"};
    }
    const std::optional<Target> target = targetOf(context);
    if (!target) throw RequestError{ErrorCode::kRequestFailed, "there is no group id here"};
    if (newId.empty()) throw RequestError{ErrorCode::kRequestFailed, "a group id cannot be empty"};
    const std::string uri = serialise(nlohmann::json(context.document.uri));
    // Written as text, each edit as it comes: the answer is held once, and
    // never grows past its bound.
    std::string answer = "{\"changes\":{" + uri + ":[";
    if (newId != target->at.id) {
        if (target->configuration.group(newId) != nullptr) {
            throw RequestError{ErrorCode::kRequestFailed,
                               "a group already defines id '" + newId + "'"};
        }
        // The edit's text is the id as a JSON string, itself a string here.
        const std::string newText = serialise(nlohmann::json(serialise(nlohmann::json(newId))));
        bool first = true;
        for (const GroupIdSite& site :
             groupIdSites(target->configuration, context.document.parsed(), target->at.id)) {
            if (!first) answer += ',';
            first = false;
            answer += "{\"newText\":" + newText +
                      ",\"range\":" + serialise(rangeOfSite(site.location, context.positions)) +
                      '}';
            if (answer.size() > kLargestRenameAnswer) {
                throw RequestError{ErrorCode::kRequestFailed,
                                   "renaming every place of this id would take more than the " +
                                       std::to_string(kLargestRenameAnswer >> 20) +
                                       " MiB an answer may hold"};
            }
        }
    }
    answer += "]}}";
    return Result::encoded(std::move(answer));
}

}  // namespace OrvexConfigValidate::Lsp
