#include "Outline.hpp"

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/JsonWriter.hpp>

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

struct Symbol {
    std::string name;
    std::string detail;
    int kind = SymbolKind::kNull;
    // Where its four offsets (range, then selection range) are in the list
    // that is turned into positions.
    std::size_t offsets = 0;
};

struct Section {
    Symbol symbol;
    std::vector<Symbol> children;
};

// The symbols with the offsets of their ranges; the positions of all of
// them are found in one pass at the end.
class Outline {
  public:
    explicit Outline(const FeatureContext& featureContext) : context(featureContext) {}

    Symbol symbol(std::string name, std::string detail, int kind, const TextLocation& location) {
        Symbol out{name.empty() ? std::string("(unnamed)") : std::move(name), std::move(detail),
                   kind, offsets.size()};
        const ByteRange marked = markedBytes(location, context.document.text, context.positions);
        offsets.insert(offsets.end(), {location.offset, location.offset + location.length,
                                       marked.begin, marked.end});
        bytes += kSymbolBytes + out.name.size() + out.detail.size();
        return out;
    }

    std::string write(const std::vector<Section>& sections) {
        positions = context.positions.positionsOf(offsets);
        // Growing a buffer of megabytes step by step costs more than the
        // writing; the room left over holds the message around it.
        json.reserve(bytes + kMessageBytes);
        json.arrayBegin();
        for (const Section& section : sections) {
            json.objectBegin().attributeBegin("children").arrayBegin();
            for (const Symbol& child : section.children) {
                json.objectBegin();
                members(child);
                json.objectEnd();
            }
            json.arrayEnd();
            members(section.symbol);
            json.objectEnd();
        }
        json.arrayEnd();
        return json.take();
    }

  private:
    // Members in the order a value's dump sorts them.
    void members(const Symbol& symbol) {
        json.attributeBegin("detail").value(symbol.detail);
        json.attributeBegin("kind").value(static_cast<std::size_t>(symbol.kind));
        json.attributeBegin("name").value(symbol.name);
        json.attributeBegin("range");
        range(symbol.offsets);
        json.attributeBegin("selectionRange");
        range(symbol.offsets + 2);
    }
    void range(std::size_t first) {
        json.objectBegin().attributeBegin("end");
        position(positions[first + 1]);
        json.attributeBegin("start");
        position(positions[first]);
        json.objectEnd();
    }
    void position(const Position& at) {
        json.objectBegin().attributeBegin("character").value(at.character);
        json.attributeBegin("line").value(at.line).objectEnd();
    }

    // A symbol's members and numbers, its strings apart, take about this.
    static constexpr std::size_t kSymbolBytes = 224;
    static constexpr std::size_t kMessageBytes = 256;

    const FeatureContext& context;
    std::size_t bytes = 0;  // what the text will take, about
    std::vector<std::size_t> offsets;
    std::vector<Position> positions;
    JsonWriter json;
};

// The top-level members, in the order of the text, and where each pointer's
// section is among them.
std::vector<Section> sectionsOf(const ParsedText& parsed, Outline& outline,
                                std::map<std::string, std::size_t>& byPointer) {
    std::vector<std::string> pointers;
    for (const auto& item : parsed.document().items()) {
        pointers.emplace_back();
        appendPointerToken(pointers.back(), item.key());
    }
    const std::vector<TextLocation> locations = parsed.locateAll(pointers);
    std::vector<std::size_t> order(pointers.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&locations](std::size_t a, std::size_t b) {
        return locations[a].offset < locations[b].offset;
    });
    std::vector<Section> sections(pointers.size());
    std::size_t index = 0;
    for (const auto& [key, value] : parsed.document().items()) {
        sections[index].symbol = outline.symbol(key, "", kindOfValue(value), locations[index]);
        ++index;
    }
    std::vector<Section> sorted;
    sorted.reserve(sections.size());
    for (const std::size_t s : order) sorted.push_back(std::move(sections[s]));
    for (std::size_t s = 0; s < sorted.size(); ++s) byPointer[pointers[order[s]]] = s;
    return sorted;
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

}  // namespace

Result documentSymbols(const FeatureContext& context) {
    const ParsedText& parsed = context.document.parsed();
    const Configuration* model = context.document.configuration();
    if (model == nullptr || !parsed.document().is_object()) return nlohmann::json::array();
    Outline outline(context);
    std::map<std::string, std::size_t> byPointer;
    std::vector<Section> sections = sectionsOf(parsed, outline, byPointer);
    std::vector<Entry> entries = configurationEntries(*model);
    std::vector<std::string> pointers;
    pointers.reserve(entries.size());
    for (const Entry& entry : entries) pointers.push_back(entry.pointer);
    const std::vector<TextLocation> locations = parsed.locateAll(pointers);
    for (std::size_t e = 0; e < entries.size(); ++e) {
        const auto section = byPointer.find(firstToken(entries[e].pointer));
        if (section == byPointer.end()) continue;
        sections[section->second].children.push_back(outline.symbol(std::move(entries[e].name),
                                                                    std::move(entries[e].detail),
                                                                    entries[e].kind, locations[e]));
    }
    return Result::encoded(outline.write(sections));
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
