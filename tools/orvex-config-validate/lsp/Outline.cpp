#include "Outline.hpp"

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/Pointer.hpp>

namespace OrvexConfigValidate::Lsp {

namespace {

OutlineSymbol::Kind kindOfValue(JsonView value) {
    if (value.isObject()) return OutlineSymbol::Object;
    if (value.isArray()) return OutlineSymbol::Array;
    if (value.isString()) return OutlineSymbol::String;
    if (value.isNumber()) return OutlineSymbol::Number;
    if (value.isBoolean()) return OutlineSymbol::Boolean;
    return OutlineSymbol::Null;
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

OutlineSymbol symbolOf(std::string name, std::string detail, OutlineSymbol::Kind kind,
                       const TextLocation& location) {
    return {name.empty() ? std::string("(unnamed)") : std::move(name), std::move(detail), kind,
            location};
}

// The top-level members, in the order of the text, and where each pointer's
// section is among them.
std::vector<OutlineSection> sectionsOf(const ParsedText& parsed,
                                       std::map<std::string, std::size_t>& byPointer) {
    std::vector<std::string> pointers;
    const JsonView root = parsed.root();
    for (const JsonView::Member member : root.members()) {
        pointers.emplace_back();
        appendPointerToken(pointers.back(), member.name());
    }
    const std::vector<TextLocation> locations = parsed.locateAll(pointers);
    std::vector<std::size_t> order(pointers.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&locations](std::size_t a, std::size_t b) {
        return locations[a].offset < locations[b].offset;
    });
    std::vector<OutlineSection> sections(pointers.size());
    std::size_t index = 0;
    for (const JsonView::Member member : root.members()) {
        sections[index].symbol =
            symbolOf(std::string(member.name()), "", kindOfValue(member.value()), locations[index]);
        ++index;
    }
    std::vector<OutlineSection> sorted;
    sorted.reserve(sections.size());
    for (const std::size_t s : order) sorted.push_back(std::move(sections[s]));
    for (std::size_t s = 0; s < sorted.size(); ++s) byPointer[pointers[order[s]]] = s;
    return sorted;
}

struct Entry {
    std::string pointer;
    std::string name;
    std::string detail;
    OutlineSymbol::Kind kind;
};

// Groups and bridges, in that order, each with the pointer of its value.
std::vector<Entry> configurationEntries(const Configuration& configuration) {
    std::vector<Entry> entries;
    for (const ConfigGroup& group : configuration.groups()) {
        const std::string name(group.name.empty() ? group.id : group.name);
        entries.push_back({configuration.groupPointer(group.index), name, groupDetail(group),
                           OutlineSymbol::Group});
    }
    for (const ConfigBridge& bridge : configuration.bridges()) {
        const std::string name(bridge.name.empty() ? bridge.id : bridge.name);
        entries.push_back({configuration.bridgePointer(bridge.index), name, bridgeDetail(bridge),
                           OutlineSymbol::Bridge});
    }
    return entries;
}

}  // namespace

std::vector<OutlineSection> outlineOf(const Document& document) {
    const ParsedText& parsed = document.parsed();
    const Configuration* model = document.configuration();
    if (model == nullptr || !parsed.root().isObject()) return {};
    std::map<std::string, std::size_t> byPointer;
    std::vector<OutlineSection> sections = sectionsOf(parsed, byPointer);
    std::vector<Entry> entries = configurationEntries(*model);
    std::vector<std::string> pointers;
    pointers.reserve(entries.size());
    for (const Entry& entry : entries) pointers.push_back(entry.pointer);
    const std::vector<TextLocation> locations = parsed.locateAll(pointers);
    for (std::size_t e = 0; e < entries.size(); ++e) {
        const auto section = byPointer.find(firstToken(entries[e].pointer));
        if (section == byPointer.end()) continue;
        sections[section->second].children.push_back(symbolOf(std::move(entries[e].name),
                                                              std::move(entries[e].detail),
                                                              entries[e].kind, locations[e]));
    }
    return sections;
}

std::vector<GroupLens> groupLenses(const Document& document) {
    const Configuration* model = document.configuration();
    if (model == nullptr) return {};
    const auto counts = model->referencingBridgeCounts();
    std::vector<std::string> pointers;
    for (const ConfigGroup& group : model->groups()) {
        pointers.push_back(model->groupPointer(group.index));
    }
    const std::vector<TextLocation> locations = document.parsed().locateAll(pointers);
    std::vector<GroupLens> out;
    out.reserve(locations.size());
    for (std::size_t g = 0; g < locations.size(); ++g) {
        const auto found = counts.find(model->groups()[g].id);
        out.push_back({locations[g], found == counts.end() ? 0 : found->second});
    }
    return out;
}

}  // namespace OrvexConfigValidate::Lsp
