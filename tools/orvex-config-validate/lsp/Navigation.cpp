#include "Navigation.hpp"

#include <cstdint>
#include <string_view>

namespace OrvexConfigValidate::Lsp {

namespace {

std::optional<Hover> enumeratorHover(ConfigPlace::Kind kind, const nlohmann::json& value,
                                     const std::string& pointer) {
    if (!value.is_number_integer()) return std::nullopt;
    const auto number = value.get<std::int64_t>();
    std::string_view name;
    const char* title = "";
    if (kind == ConfigPlace::ServerMode) {
        name = opModeName(number);
        title = "server mode";
    } else if (kind == ConfigPlace::GroupType) {
        name = groupTypeName(number);
        title = "group type";
    } else {
        name = bridgingOpModeName(number);
        title = "bridge target output mode";
    }
    return Hover{std::to_string(number) + " = " +
                     (name.empty() ? std::string("no ") + title : std::string(name)),
                 pointer};
}

// The group id a bridge names at the pointer, when it names one.
const nlohmann::json* groupReferenceAt(const Configuration& configuration, const ParsedText& parsed,
                                       const std::string& pointer) {
    if (configuration.placeOf(pointer).kind != ConfigPlace::GroupReference) return nullptr;
    const nlohmann::json* value = valueAt(parsed.document(), pointer);
    return value != nullptr && value->is_string() ? value : nullptr;
}

}  // namespace

std::optional<Hover> hoverAt(const std::string& schemaId, const ParsedText& parsed,
                             std::size_t offset) {
    if (!parsed.ok()) return std::nullopt;
    const Configuration configuration(schemaId, parsed.document());
    const std::string pointer = parsed.pointerAt(offset);
    const ConfigPlace place = configuration.placeOf(pointer);
    const nlohmann::json* value = valueAt(parsed.document(), pointer);
    if (value == nullptr) return std::nullopt;
    if (place.kind == ConfigPlace::ServerMode || place.kind == ConfigPlace::GroupType ||
        place.kind == ConfigPlace::GroupOutputMode) {
        return enumeratorHover(place.kind, *value, pointer);
    }
    if (const nlohmann::json* id = groupReferenceAt(configuration, parsed, pointer)) {
        const std::string& text = id->get_ref<const std::string&>();
        const ConfigGroup* group = configuration.group(text);
        if (group == nullptr) return Hover{"No group defines id '" + text + "'", pointer};
        const std::string name =
            group->name.empty() ? "(no name)" : "'" + std::string(group->name) + "'";
        return Hover{"Group " + name + " at index " + std::to_string(group->index), pointer};
    }
    return std::nullopt;
}

std::optional<std::string> definitionAt(const std::string& schemaId, const ParsedText& parsed,
                                        std::size_t offset) {
    if (!parsed.ok()) return std::nullopt;
    const Configuration configuration(schemaId, parsed.document());
    const std::string pointer = parsed.pointerAt(offset);
    const nlohmann::json* id = groupReferenceAt(configuration, parsed, pointer);
    if (id == nullptr) return std::nullopt;
    const ConfigGroup* group = configuration.group(id->get_ref<const std::string&>());
    if (group == nullptr) return std::nullopt;
    return configuration.groupPointer(group->index);
}

}  // namespace OrvexConfigValidate::Lsp
