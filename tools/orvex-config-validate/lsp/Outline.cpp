#include "Outline.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "Diagnostics.hpp"
#include "ProtocolKinds.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

int kindOfValue(const nlohmann::json& value) {
    if (value.is_object()) return SymbolKind::kObject;
    if (value.is_array()) return SymbolKind::kArray;
    if (value.is_string()) return SymbolKind::kString;
    if (value.is_number()) return SymbolKind::kNumber;
    if (value.is_boolean()) return SymbolKind::kBoolean;
    return SymbolKind::kNull;
}

nlohmann::json symbol(const std::string& name, const std::string& detail, int kind,
                      const TextLocation& location, const FeatureContext& context) {
    const std::size_t end = location.offset + location.length;
    return {{"name", name.empty() ? std::string("(unnamed)") : name},
            {"detail", detail},
            {"kind", kind},
            {"range", rangeBetween(location.offset, end, context.positions)},
            {"selectionRange", rangeOf(location, context.document.text, context.positions)}};
}

std::string groupDetail(const ConfigGroup& group) {
    const std::string_view type = groupTypeName(group.type);
    return "id " + std::string(group.id) + ", " +
           (type.empty() ? "type " + std::to_string(group.type) : std::string(type));
}

std::string bridgeDetail(const ConfigBridge& bridge) {
    return "id " + std::string(bridge.id) + (bridge.enabled ? ", enabled" : ", disabled");
}

std::string firstToken(const std::string& pointer) {
    const std::size_t end = pointer.find('/', 1);
    return pointer.substr(0, end);
}

struct Entry {
    std::string pointer;
    std::string name;
    std::string detail;
    int kind;
};

// Groups and bridges, in that order, each with the pointer of its value.
std::vector<Entry> configurationEntries(const Configuration& configuration) {
    std::vector<Entry> entries;
    for (const ConfigGroup& group : configuration.groups()) {
        const std::string name(group.name.empty() ? group.id : group.name);
        entries.push_back({configuration.groupPointer(group.index), name, groupDetail(group),
                           SymbolKind::kStruct});
    }
    for (const ConfigBridge& bridge : configuration.bridges()) {
        const std::string name(bridge.name.empty() ? bridge.id : bridge.name);
        entries.push_back({configuration.bridgePointer(bridge.index), name, bridgeDetail(bridge),
                           SymbolKind::kClass});
    }
    return entries;
}

// The first `count` locations' indices, in the order of the text.
std::vector<std::size_t> textOrder(const std::vector<TextLocation>& locations, std::size_t count) {
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&locations](std::size_t a, std::size_t b) {
        return locations[a].offset < locations[b].offset;
    });
    return order;
}

}  // namespace

nlohmann::json documentSymbols(const FeatureContext& context) {
    const ParsedText& parsed = context.document.parsed();
    nlohmann::json out = nlohmann::json::array();
    const Configuration* model = context.document.configuration();
    if (model == nullptr || !parsed.document().is_object()) return out;
    const Configuration& configuration = *model;
    const std::vector<Entry> entries = configurationEntries(configuration);
    std::vector<std::string> pointers;
    for (const auto& item : parsed.document().items()) {
        const std::string& key = item.key();
        pointers.push_back((nlohmann::json::json_pointer() / key).to_string());
    }
    const std::size_t sections = pointers.size();
    for (const Entry& entry : entries) pointers.push_back(entry.pointer);
    const std::vector<TextLocation> locations = parsed.locateAll(pointers);
    std::size_t index = 0;
    for (const auto& [key, value] : parsed.document().items()) {
        out.push_back(symbol(key, "", kindOfValue(value), locations[index], context));
        out.back()["children"] = nlohmann::json::array();
        ++index;
    }
    const std::vector<std::size_t> order = textOrder(locations, sections);
    for (std::size_t e = 0; e < entries.size(); ++e) {
        const std::string section = firstToken(entries[e].pointer);
        for (std::size_t s = 0; s < sections; ++s) {
            if (pointers[s] != section) continue;
            out[s]["children"].push_back(symbol(entries[e].name, entries[e].detail, entries[e].kind,
                                                locations[sections + e], context));
        }
    }
    // Members are held sorted by name; the outline follows the text.
    nlohmann::json sorted = nlohmann::json::array();
    for (const std::size_t s : order) sorted.push_back(std::move(out[s]));
    return sorted;
}

nlohmann::json codeLenses(const FeatureContext& context) {
    const ParsedText& parsed = context.document.parsed();
    nlohmann::json out = nlohmann::json::array();
    const Configuration* model = context.document.configuration();
    if (model == nullptr) return out;
    const Configuration& configuration = *model;
    const auto counts = configuration.referencingBridgeCounts();
    std::vector<std::string> pointers;
    for (const ConfigGroup& group : configuration.groups()) {
        pointers.push_back(configuration.groupPointer(group.index));
    }
    const std::vector<TextLocation> locations = parsed.locateAll(pointers);
    for (std::size_t g = 0; g < locations.size(); ++g) {
        const auto found = counts.find(configuration.groups()[g].id);
        const std::size_t count = found == counts.end() ? 0 : found->second;
        const std::string title =
            "referenced by " + std::to_string(count) + (count == 1 ? " bridge" : " bridges");
        out.push_back({{"range", rangeOf(locations[g], context.document.text, context.positions)},
                       {"command", {{"title", title}, {"command", ""}}}});
    }
    return out;
}

}  // namespace OrvexConfigValidate::Lsp
