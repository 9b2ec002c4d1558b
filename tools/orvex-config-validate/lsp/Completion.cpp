#include "Completion.hpp"

#include "CursorContext.hpp"
#include "Diagnostics.hpp"
#include "Navigation.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

const int kValueItem = 12;

// The cursor stands in a bridge's "groups" array.
bool isBridgeGroupsArray(const Configuration& configuration, const CursorContext& context) {
    if (!context.inContainer || !context.containerIsArray) return false;
    nlohmann::json::json_pointer pointer;
    for (const auto& token : context.containerPath) pointer /= token;
    // Any entry of that array is a group reference.
    return configuration.placeOf(pointer.to_string() + "/0").kind == ConfigPlace::GroupReference;
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
    const CursorContext context = cursorContext(document.text, offset);
    const ParsedText* parsed = document.lastGoodParse();
    if (parsed == nullptr) return items;
    const Configuration configuration(schemaId, parsed->document());
    if (!isBridgeGroupsArray(configuration, context)) return items;
    // Inside a string the typed part is replaced; elsewhere a whole string
    // literal is inserted.
    const std::size_t begin = context.inString ? context.stringContentStart : offset;
    const nlohmann::json range = rangeBetween(begin, offset, positions);
    for (const std::string_view idView : configuration.groupIds()) {
        const ConfigGroup& group = *configuration.group(idView);
        const std::string id(idView);
        const std::string text = context.inString ? escaped(id) : "\"" + escaped(id) + "\"";
        nlohmann::json item = {
            {"label", id},
            {"kind", kValueItem},
            {"detail", (group.name.empty() ? std::string("group") : std::string(group.name)) +
                           " (index " + std::to_string(group.index) + ")"},
            {"textEdit", {{"range", range}, {"newText", text}}}};
        if (!context.inString) item["filterText"] = text;
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace OrvexConfigValidate::Lsp
