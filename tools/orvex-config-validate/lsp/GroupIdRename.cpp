#include "GroupIdRename.hpp"

#include <optional>
#include <utility>

#include <orvexconfigvalidate/JsonWriter.hpp>

#include "GroupIds.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

GroupIdRename refused(std::string reason) {
    return {std::move(reason), {}};
}

}  // namespace

GroupIdRename renameGroupId(const Document& document, std::size_t offset,
                            const std::string& newId) {
    if (newId.size() > kLongestNewGroupId) {
        return refused("a new group id is at most " + std::to_string(kLongestNewGroupId) +
                       " bytes long");
    }
    const std::optional<GroupIdAt> at = groupIdAt(document, offset);
    if (!at) return refused("there is no group id here");
    if (newId.empty()) return refused("a group id cannot be empty");
    RenameEdits edits{document.uri, jsonString(newId), {}};
    if (newId != at->id) {
        const Configuration& configuration = *document.configuration();
        if (configuration.group(newId) != nullptr) {
            return refused("a group already defines id '" + newId + "'");
        }
        for (const GroupIdSite& site : groupIdSites(configuration, document.parsed(), at->id)) {
            edits.places.push_back(site.location);
        }
    }
    return {"", {std::move(edits)}};
}

}  // namespace OrvexConfigValidate::Lsp
