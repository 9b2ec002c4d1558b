// References, highlights and renames of a group id as the protocol writes
// them.
#include <optional>
#include <string>

#include <orvexconfigvalidate/JsonWriter.hpp>

#include "Diagnostics.hpp"
#include "GroupIdRename.hpp"
#include "GroupIds.hpp"
#include "JsonRpc.hpp"
#include "ProtocolKinds.hpp"
#include "Replies.hpp"
#include "RequestParams.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

nlohmann::json rangeOfSite(const TextLocation& location, const TextPositions& positions) {
    return rangeBetween(location.offset, location.offset + location.length, positions);
}

bool includesDeclaration(const nlohmann::json& params) {
    const auto context = params.find("context");
    if (context == params.end() || !context->is_object()) return true;
    const auto include = context->find("includeDeclaration");
    return include == context->end() || !include->is_boolean() || include->get<bool>();
}

RequestError renameRefused(const std::string& reason) {
    return {ErrorCode::kRequestFailed, reason};
}

// Written as text, each edit as it comes: the answer is held once, and
// never grows past its bound.
std::string renameAnswer(const GroupIdRename& rename, const TextPositions& positions) {
    std::string answer = "{\"changes\":{";
    bool firstDocument = true;
    for (const RenameEdits& document : rename.changes) {
        if (!firstDocument) answer += ',';
        firstDocument = false;
        answer += jsonString(document.uri) + ":[";
        // The edit's text is the id as a JSON string, itself a string here.
        const std::string newText = jsonString(document.newText);
        bool first = true;
        for (const TextLocation& place : document.places) {
            if (!first) answer += ',';
            first = false;
            answer += "{\"newText\":" + newText +
                      ",\"range\":" + serialise(rangeOfSite(place, positions)) + '}';
            if (answer.size() > kLargestRenameAnswer) {
                throw renameRefused("renaming every place of this id would take more than the " +
                                    std::to_string(kLargestRenameAnswer >> 20) +
                                    " MiB an answer may hold");
            }
        }
        answer += ']';
    }
    return answer + "}}";
}

}  // namespace

nlohmann::json references(const FeatureContext& context) {
    const auto places =
        groupIdPlacesAt(context.document, context.offset(), includesDeclaration(context.params));
    if (!places) return nullptr;
    nlohmann::json out = nlohmann::json::array();
    for (const GroupIdSite& site : places->sites) {
        out.push_back(
            {{"uri", places->uri}, {"range", rangeOfSite(site.location, context.positions)}});
    }
    return out;
}

nlohmann::json documentHighlight(const FeatureContext& context) {
    const auto places = groupIdPlacesAt(context.document, context.offset(), true);
    if (!places) return nullptr;
    nlohmann::json out = nlohmann::json::array();
    for (const GroupIdSite& site : places->sites) {
        out.push_back({{"range", rangeOfSite(site.location, context.positions)},
                       {"kind", site.definition ? DocumentHighlightKind::kWrite
                                                : DocumentHighlightKind::kRead}});
    }
    return out;
}

nlohmann::json prepareRename(const FeatureContext& context) {
    const std::optional<GroupIdAt> at = groupIdAt(context.document, context.offset());
    if (!at) return nullptr;
    return {{"range", rangeOfSite(at->location, context.positions)}, {"placeholder", at->id}};
}

Result rename(const FeatureContext& context) {
    const std::string newId = stringMember(context.params, "newName", "params");
    // A new id that is too long is refused before the position is read.
    const std::size_t offset = newId.size() > kLongestNewGroupId ? 0 : context.offset();
    const GroupIdRename found = renameGroupId(context.document, offset, newId);
    if (!found.refusal.empty()) throw renameRefused(found.refusal);
    return Result::encoded(renameAnswer(found, context.positions));
}

}  // namespace OrvexConfigValidate::Lsp
