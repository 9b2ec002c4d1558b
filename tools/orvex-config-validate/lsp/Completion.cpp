#include "Completion.hpp"

#include "CursorContext.hpp"
#include "Diagnostics.hpp"
#include "Navigation.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

const int kValueItem = 12;

bool isBridgeGroupsArray(const DocumentLayout& layout, const CursorContext& context) {
    if (!layout.bridging || !context.inContainer || !context.containerIsArray) return false;
    const auto& path = context.containerPath;
    const std::size_t base = layout.bridging->size();
    if (path.size() != base + 3) return false;
    if (!std::equal(layout.bridging->begin(), layout.bridging->end(), path.begin())) return false;
    return path[base] == "bridges" && !path[base + 1].empty() &&
           path[base + 1].find_first_not_of("0123456789") == std::string::npos &&
           path[base + 2] == "groups";
}

// The id as it is written inside a JSON string.
std::string escaped(const std::string& id) {
    const std::string quoted =
        nlohmann::json(id).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return quoted.substr(1, quoted.size() - 2);
}

}  // namespace

nlohmann::json completionAt(const std::string& schemaId, const Document& document,
                            const TextPositions& positions, std::size_t offset) {
    nlohmann::json items = nlohmann::json::array();
    const DocumentLayout layout = layoutOf(schemaId);
    const CursorContext context = cursorContext(document.text, offset);
    if (!isBridgeGroupsArray(layout, context)) return items;
    const ParsedText* parsed = document.lastGoodParse();
    if (parsed == nullptr) return items;
    // Inside a string the typed part is replaced; elsewhere a whole string
    // literal is inserted.
    const std::size_t begin = context.inString ? context.stringContentStart : offset;
    const nlohmann::json range = rangeBetween(begin, offset, positions);
    for (const auto& group : definedGroups(layout, parsed->document())) {
        const std::string text =
            context.inString ? escaped(group.id) : "\"" + escaped(group.id) + "\"";
        nlohmann::json item = {{"label", group.id},
                               {"kind", kValueItem},
                               {"detail", (group.name.empty() ? std::string("group") : group.name) +
                                              " (index " + std::to_string(group.index) + ")"},
                               {"textEdit", {{"range", range}, {"newText", text}}}};
        if (!context.inString) item["filterText"] = text;
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace OrvexConfigValidate::Lsp
