#include "GroupIds.hpp"

#include <orvexconfigvalidate/Pointer.hpp>

namespace OrvexConfigValidate::Lsp {

namespace {

bool namesGroupId(const Configuration& configuration, const std::string& pointer) {
    const ConfigPlace place = configuration.placeOf(pointer);
    if (place.kind == ConfigPlace::GroupReference) return true;
    return place.kind == ConfigPlace::Group && pointer == configuration.groupIdPointer(place.group);
}

}  // namespace

std::optional<GroupIdAt> groupIdAt(const Configuration& configuration, const ParsedText& parsed,
                                   std::size_t offset) {
    if (!parsed.ok()) return std::nullopt;
    const std::string pointer = parsed.pointerAt(offset);
    if (!namesGroupId(configuration, pointer)) return std::nullopt;
    const JsonView value = valueAt(parsed.root(), pointer);
    if (!value.isString() || value.string().empty()) return std::nullopt;
    return GroupIdAt{std::string(value.string()), parsed.locate(pointer)};
}

std::vector<GroupIdSite> groupIdSites(const Configuration& configuration, const ParsedText& parsed,
                                      std::string_view id) {
    std::vector<std::string> pointers;
    std::vector<bool> definitions;
    for (const ConfigGroup& group : configuration.groups()) {
        if (group.id != id) continue;
        pointers.push_back(configuration.groupIdPointer(group.index));
        definitions.push_back(true);
    }
    for (const auto& [bridge, reference] : configuration.referencesTo(id)) {
        const std::size_t position = configuration.bridges()[bridge].references[reference].position;
        pointers.push_back(
            configuration.referencePointer(configuration.bridges()[bridge].index, position));
        definitions.push_back(false);
    }
    const std::vector<TextLocation> locations = parsed.locateAll(pointers);
    std::vector<GroupIdSite> sites;
    for (std::size_t i = 0; i < locations.size(); ++i) {
        sites.push_back({locations[i], definitions[i]});
    }
    return sites;
}

std::optional<GroupIdAt> groupIdAt(const Document& document, std::size_t offset) {
    const Configuration* configuration = document.configuration();
    if (configuration == nullptr) return std::nullopt;
    return groupIdAt(*configuration, document.parsed(), offset);
}

std::optional<GroupIdPlaces> groupIdPlacesAt(const Document& document, std::size_t offset,
                                             bool withDefinitions) {
    const std::optional<GroupIdAt> at = groupIdAt(document, offset);
    if (!at) return std::nullopt;
    GroupIdPlaces places{document.uri, {}};
    for (const GroupIdSite& site :
         groupIdSites(*document.configuration(), document.parsed(), at->id)) {
        if (site.definition && !withDefinitions) continue;
        places.sites.push_back(site);
    }
    return places;
}

}  // namespace OrvexConfigValidate::Lsp
