// The outline and the group lenses as the protocol writes them.
#include <string>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/JsonWriter.hpp>

#include "Diagnostics.hpp"
#include "Outline.hpp"
#include "ProtocolKinds.hpp"
#include "Replies.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

int symbolKind(OutlineSymbol::Kind kind) {
    switch (kind) {
        case OutlineSymbol::Object:
            return SymbolKind::kObject;
        case OutlineSymbol::Array:
            return SymbolKind::kArray;
        case OutlineSymbol::String:
            return SymbolKind::kString;
        case OutlineSymbol::Number:
            return SymbolKind::kNumber;
        case OutlineSymbol::Boolean:
            return SymbolKind::kBoolean;
        case OutlineSymbol::Group:
            return SymbolKind::kStruct;
        case OutlineSymbol::Bridge:
            return SymbolKind::kClass;
        case OutlineSymbol::Null:
            break;
    }
    return SymbolKind::kNull;
}

// The positions of every symbol's range and selection range are found in
// one pass, then written as text: at 10,000 groups the answer is some
// megabytes.
class OutlineWriter {
  public:
    explicit OutlineWriter(const FeatureContext& featureContext) : context(featureContext) {}

    std::string write(const std::vector<OutlineSection>& sections) {
        std::size_t bytes = 0;
        for (const OutlineSection& section : sections) {
            note(section.symbol, bytes);
            for (const OutlineSymbol& child : section.children) note(child, bytes);
        }
        positions = context.positions.positionsOf(offsets);
        // Growing a buffer of megabytes step by step costs more than the
        // writing; the room left over holds the message around it.
        json.reserve(bytes + kMessageBytes);
        json.arrayBegin();
        std::size_t next = 0;
        for (const OutlineSection& section : sections) {
            const std::size_t own = next;
            next += 4;
            json.objectBegin().attributeBegin("children").arrayBegin();
            for (const OutlineSymbol& child : section.children) {
                json.objectBegin();
                members(child, next);
                next += 4;
                json.objectEnd();
            }
            json.arrayEnd();
            members(section.symbol, own);
            json.objectEnd();
        }
        json.arrayEnd();
        return json.take();
    }

  private:
    // Its four offsets: the range, then the selection range (the bytes a
    // diagnostic there would mark).
    void note(const OutlineSymbol& symbol, std::size_t& bytes) {
        const TextLocation& location = symbol.location;
        const ByteRange marked = markedBytes(location, context.document.text(), context.positions);
        offsets.insert(offsets.end(), {location.offset, location.offset + location.length,
                                       marked.begin, marked.end});
        bytes += kSymbolBytes + symbol.name.size() + symbol.detail.size();
    }
    // Members in the order a value's dump sorts them.
    void members(const OutlineSymbol& symbol, std::size_t first) {
        json.attributeBegin("detail").value(symbol.detail);
        json.attributeBegin("kind").value(static_cast<std::size_t>(symbolKind(symbol.kind)));
        json.attributeBegin("name").value(symbol.name);
        json.attributeBegin("range");
        range(first);
        json.attributeBegin("selectionRange");
        range(first + 2);
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
    std::vector<std::size_t> offsets;
    std::vector<Position> positions;
    JsonWriter json;
};

}  // namespace

Result documentSymbols(const FeatureContext& context) {
    const std::vector<OutlineSection> sections = outlineOf(context.document);
    if (sections.empty()) return nlohmann::json::array();
    return Result::encoded(OutlineWriter(context).write(sections));
}

nlohmann::json codeLenses(const FeatureContext& context) {
    nlohmann::json out = nlohmann::json::array();
    for (const GroupLens& lens : groupLenses(context.document)) {
        const std::size_t count = lens.referencingBridges;
        const std::string title =
            "referenced by " + std::to_string(count) + (count == 1 ? " bridge" : " bridges");
        out.push_back(
            {{"range", rangeOf(lens.location, context.document.text(), context.positions)},
             {"command", {{"title", title}, {"command", ""}}}});
    }
    return out;
}

}  // namespace OrvexConfigValidate::Lsp
