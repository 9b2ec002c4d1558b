#include "Navigation.hpp"

#include <cstdint>
#include <string_view>
#include <utility>

#include <orvexconfigvalidate/MemberCatalogue.hpp>
#include <orvexconfigvalidate/Pointer.hpp>

#include "MemberText.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

std::optional<Hover> enumeratorHover(ConfigPlace::Kind kind, JsonView value,
                                     const std::string& pointer) {
    if (!value.isIntegral()) return std::nullopt;
    const std::int64_t number = value.integer();
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
JsonView groupReferenceAt(const Configuration& configuration, const ParsedText& parsed,
                          const std::string& pointer) {
    if (configuration.placeOf(pointer).kind != ConfigPlace::GroupReference) return JsonView();
    const JsonView value = valueAt(parsed.root(), pointer);
    return value.isString() ? value : JsonView();
}

// The group id written at the pointer: a bridge's reference or a group's
// own "id".
JsonView groupIdValueAt(const Configuration& configuration, const ParsedText& parsed,
                        const std::string& pointer) {
    if (const JsonView reference = groupReferenceAt(configuration, parsed, pointer)) {
        return reference;
    }
    const ConfigPlace place = configuration.placeOf(pointer);
    if (place.kind != ConfigPlace::Group || pointer != configuration.groupIdPointer(place.group)) {
        return JsonView();
    }
    const JsonView value = valueAt(parsed.root(), pointer);
    return value.isString() ? value : JsonView();
}

Hover groupHover(const Configuration& configuration, const std::string& id,
                 const std::string& pointer) {
    const ConfigGroup* group = configuration.group(id);
    if (group == nullptr) return Hover{"No group defines id '" + id + "'", pointer};
    const std::string name =
        group->name.empty() ? "(no name)" : "'" + std::string(group->name) + "'";
    const std::string_view type = groupTypeName(group->type);
    std::size_t bridges = 0;
    const auto counts = configuration.referencingBridgeCounts();
    if (const auto found = counts.find(group->id); found != counts.end()) bridges = found->second;
    return Hover{"Group " + name + " at index " + std::to_string(group->index) + ", " +
                     (type.empty() ? "type " + std::to_string(group->type) : std::string(type)) +
                     ", referenced by " + std::to_string(bridges) +
                     (bridges == 1 ? " bridge" : " bridges"),
                 pointer};
}

// What the schema says of the member at the pointer.
std::optional<Hover> schemaHover(const Validator& validator, const std::string& schemaId,
                                 const std::string& pointer) {
    const SchemaPlaceInfo info = validator.describeSchemaAt(schemaId, pointer);
    if (!info.known || (info.title.empty() && info.description.empty())) return std::nullopt;
    std::string text = info.title;
    if (!info.description.empty()) text += (text.empty() ? "" : "\n\n") + info.description;
    return Hover{text, pointer};
}

// The catalogue's documentation of the member at the pointer, after what
// was found of its value.
std::optional<Hover> withMemberDocs(std::optional<Hover> found, const std::string& schemaId,
                                    const std::string& pointer) {
    const MemberEntry* entry = describeMember(schemaId, pointer);
    if (entry == nullptr) return found;
    const std::string docs = Tool::memberMarkdown(*entry);
    if (!found) return Hover{docs, pointer, true};
    return Hover{found->text + "\n\n" + docs, pointer, true};
}

}  // namespace

std::optional<Hover> hoverAt(const std::string& schemaId, const ParsedText& parsed,
                             std::size_t offset, const Validator* validator,
                             const Configuration* model) {
    if (!parsed.ok()) return std::nullopt;
    std::optional<Configuration> own;
    if (model == nullptr) model = &own.emplace(schemaId, parsed.root());
    const Configuration& configuration = *model;
    const std::string pointer = parsed.pointerAt(offset);
    const ConfigPlace place = configuration.placeOf(pointer);
    const JsonView value = valueAt(parsed.root(), pointer);
    if (!value) return std::nullopt;
    if (place.kind == ConfigPlace::ServerMode || place.kind == ConfigPlace::GroupType ||
        place.kind == ConfigPlace::GroupOutputMode) {
        return withMemberDocs(enumeratorHover(place.kind, value, pointer), schemaId, pointer);
    }
    if (const JsonView id = groupIdValueAt(configuration, parsed, pointer)) {
        return groupHover(configuration, std::string(id.string()), pointer);
    }
    if (auto documented = withMemberDocs(std::nullopt, schemaId, pointer)) return documented;
    if (validator != nullptr && !pointer.empty()) return schemaHover(*validator, schemaId, pointer);
    return std::nullopt;
}

std::optional<std::string> definitionAt(const std::string& schemaId, const ParsedText& parsed,
                                        std::size_t offset, const Configuration* model) {
    if (!parsed.ok()) return std::nullopt;
    std::optional<Configuration> own;
    if (model == nullptr) model = &own.emplace(schemaId, parsed.root());
    const Configuration& configuration = *model;
    const std::string pointer = parsed.pointerAt(offset);
    const JsonView id = groupReferenceAt(configuration, parsed, pointer);
    if (!id) return std::nullopt;
    const ConfigGroup* group = configuration.group(id.string());
    if (group == nullptr) return std::nullopt;
    return configuration.groupPointer(group->index);
}

std::optional<DocumentHover> hoverOf(const Document& document, std::size_t offset,
                                     const Validator& validator) {
    const ParsedText& parsed = document.parsed();
    std::optional<Hover> found =
        hoverAt(document.schemaId(), parsed, offset, &validator, document.configuration());
    if (!found) return std::nullopt;
    return DocumentHover{std::move(found->text), found->markdown, parsed.locate(found->pointer)};
}

std::optional<DocumentPlace> definitionOf(const Document& document, std::size_t offset) {
    const ParsedText& parsed = document.parsed();
    const auto target = definitionAt(document.schemaId(), parsed, offset, document.configuration());
    if (!target) return std::nullopt;
    return DocumentPlace{document.uri, parsed.locate(*target)};
}

}  // namespace OrvexConfigValidate::Lsp
