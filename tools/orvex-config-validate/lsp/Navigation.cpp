#include "Navigation.hpp"

#include <algorithm>
#include <cstdint>
#include <set>

#include "semantic/ConfigEnums.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

using Tokens = std::vector<std::string>;

enum class Enumeration { OpMode, GroupType, BridgingOpMode };

const char* enumeratorName(Enumeration enumeration, std::int64_t value) {
    switch (enumeration) {
        case Enumeration::OpMode:
            switch (value) {
                case omRaw:
                    return "omRaw";
                case omMultistream:
                    return "omMultistream";
                case omMixedStream:
                    return "omMixedStream";
                case omADictatedByGroup:
                    return "omADictatedByGroup";
            }
            return nullptr;
        case Enumeration::GroupType:
            switch (value) {
                case gtUnknown:
                    return "gtUnknown";
                case gtAudio:
                    return "gtAudio";
                case gtPresence:
                    return "gtPresence";
                case gtRaw:
                    return "gtRaw";
            }
            return nullptr;
        case Enumeration::BridgingOpMode:
            switch (value) {
                case bomRaw:
                    return "bomRaw";
                case bomMultistream:
                    return "bomMultistream";
                case bomMixedStream:
                    return "bomMixedStream";
                case bomNone:
                    return "bomNone";
            }
            return nullptr;
    }
    return nullptr;
}

const char* enumerationTitle(Enumeration enumeration) {
    switch (enumeration) {
        case Enumeration::OpMode:
            return "server mode";
        case Enumeration::GroupType:
            return "group type";
        case Enumeration::BridgingOpMode:
            return "bridge target output mode";
    }
    return "";
}

bool startsWith(const Tokens& tokens, const Tokens& prefix) {
    return tokens.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), tokens.begin());
}

bool isIndex(const std::string& token) {
    return !token.empty() && token.find_first_not_of("0123456789") == std::string::npos;
}

// The enumeration of the value a pointer names, if it names one.
std::optional<Enumeration> enumerationAt(const DocumentLayout& layout, const Tokens& tokens) {
    if (layout.server && startsWith(tokens, *layout.server)) {
        const Tokens rest(tokens.begin() + static_cast<std::ptrdiff_t>(layout.server->size()),
                          tokens.end());
        if (rest == Tokens{"mode"}) return Enumeration::OpMode;
    }
    std::optional<Tokens> group;
    if (layout.isGroup) group = Tokens{};
    if (layout.bridging && startsWith(tokens, *layout.bridging) &&
        tokens.size() >= layout.bridging->size() + 2 &&
        tokens[layout.bridging->size()] == "groups" &&
        isIndex(tokens[layout.bridging->size() + 1])) {
        group = Tokens(tokens.begin(),
                       tokens.begin() + static_cast<std::ptrdiff_t>(layout.bridging->size() + 2));
    }
    if (!group || !startsWith(tokens, *group)) return std::nullopt;
    const Tokens rest(tokens.begin() + static_cast<std::ptrdiff_t>(group->size()), tokens.end());
    if (rest == Tokens{"type"}) return Enumeration::GroupType;
    if (rest == Tokens{"bridgeTargetOutputDetail", "mode"}) return Enumeration::BridgingOpMode;
    return std::nullopt;
}

// A string entry of a bridge's "groups": the pointer names one.
bool isGroupReference(const DocumentLayout& layout, const Tokens& tokens) {
    if (!layout.bridging || !startsWith(tokens, *layout.bridging)) return false;
    const std::size_t base = layout.bridging->size();
    return tokens.size() == base + 4 && tokens[base] == "bridges" && isIndex(tokens[base + 1]) &&
           tokens[base + 2] == "groups" && isIndex(tokens[base + 3]);
}

const nlohmann::json* valueAt(const nlohmann::json& document, const std::string& pointer) {
    const nlohmann::json* value = &document;
    for (const auto& token : pointerTokens(pointer)) {
        if (value->is_object()) {
            const auto member = value->find(token);
            if (member == value->end()) return nullptr;
            value = &*member;
        } else if (value->is_array() && isIndex(token) && token.size() < 19 &&
                   std::stoull(token) < value->size()) {
            value = &(*value)[std::stoull(token)];
        } else {
            return nullptr;
        }
    }
    return value;
}

std::optional<GroupEntry> groupDefining(const DocumentLayout& layout,
                                        const nlohmann::json& document, const std::string& id) {
    for (const auto& group : definedGroups(layout, document)) {
        if (group.id == id) return group;
    }
    return std::nullopt;
}

std::string groupPointer(const DocumentLayout& layout, std::size_t index) {
    Tokens tokens = *layout.bridging;
    tokens.push_back("groups");
    tokens.push_back(std::to_string(index));
    return pointerFromTokens(tokens);
}

}  // namespace

DocumentLayout layoutOf(const std::string& schemaId) {
    DocumentLayout layout;
    if (schemaId == "BridgingServerConfiguration") layout.server = Tokens{};
    if (schemaId == "BridgingConfiguration") layout.bridging = Tokens{};
    if (schemaId == "Obs") {
        layout.server = Tokens{"server"};
        layout.bridging = Tokens{"bridges"};
    }
    layout.isGroup = schemaId == "Group";
    return layout;
}

std::vector<std::string> pointerTokens(std::string_view pointer) {
    Tokens tokens;
    if (pointer.empty()) return tokens;
    std::size_t at = pointer.front() == '/' ? 1 : 0;
    while (true) {
        const std::size_t slash = pointer.find('/', at);
        const std::string_view raw = pointer.substr(
            at, slash == std::string_view::npos ? std::string_view::npos : slash - at);
        std::string token;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '~' && i + 1 < raw.size() && (raw[i + 1] == '0' || raw[i + 1] == '1')) {
                token += raw[++i] == '0' ? '~' : '/';
            } else {
                token += raw[i];
            }
        }
        tokens.push_back(token);
        if (slash == std::string_view::npos) break;
        at = slash + 1;
    }
    return tokens;
}

std::string pointerFromTokens(const std::vector<std::string>& tokens) {
    nlohmann::json::json_pointer pointer;
    for (const auto& token : tokens) pointer /= token;
    return pointer.to_string();
}

std::vector<GroupEntry> definedGroups(const DocumentLayout& layout,
                                      const nlohmann::json& document) {
    std::vector<GroupEntry> groups;
    if (!layout.bridging) return groups;
    const nlohmann::json* root = valueAt(document, pointerFromTokens(*layout.bridging));
    if (root == nullptr || !root->is_object()) return groups;
    const auto array = root->find("groups");
    if (array == root->end() || !array->is_array()) return groups;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < array->size(); ++i) {
        const nlohmann::json& group = (*array)[i];
        if (!group.is_object()) continue;
        const auto id = group.find("id");
        if (id == group.end() || !id->is_string() || id->get_ref<const std::string&>().empty()) {
            continue;
        }
        if (!seen.insert(id->get<std::string>()).second) continue;
        const auto name = group.find("name");
        groups.push_back({id->get<std::string>(),
                          name != group.end() && name->is_string() ? name->get<std::string>() : "",
                          i});
    }
    return groups;
}

std::optional<Hover> hoverAt(const std::string& schemaId, const ParsedText& parsed,
                             std::size_t offset) {
    if (!parsed.ok()) return std::nullopt;
    const DocumentLayout layout = layoutOf(schemaId);
    const std::string pointer = parsed.pointerAt(offset);
    const Tokens tokens = pointerTokens(pointer);
    const nlohmann::json* value = valueAt(parsed.document(), pointer);
    if (value == nullptr) return std::nullopt;
    if (const auto enumeration = enumerationAt(layout, tokens)) {
        if (!value->is_number_integer()) return std::nullopt;
        const auto number = value->get<std::int64_t>();
        const char* name = enumeratorName(*enumeration, number);
        const std::string text =
            std::to_string(number) + " = " +
            (name != nullptr ? name : std::string("no ") + enumerationTitle(*enumeration));
        return Hover{text, pointer};
    }
    if (isGroupReference(layout, tokens) && value->is_string()) {
        const std::string& id = value->get_ref<const std::string&>();
        const auto group = groupDefining(layout, parsed.document(), id);
        if (!group) return Hover{"No group defines id '" + id + "'", pointer};
        const std::string name = group->name.empty() ? "(no name)" : "'" + group->name + "'";
        return Hover{"Group " + name + " at index " + std::to_string(group->index), pointer};
    }
    return std::nullopt;
}

std::optional<std::string> definitionAt(const std::string& schemaId, const ParsedText& parsed,
                                        std::size_t offset) {
    if (!parsed.ok()) return std::nullopt;
    const DocumentLayout layout = layoutOf(schemaId);
    const std::string pointer = parsed.pointerAt(offset);
    if (!isGroupReference(layout, pointerTokens(pointer))) return std::nullopt;
    const nlohmann::json* value = valueAt(parsed.document(), pointer);
    if (value == nullptr || !value->is_string()) return std::nullopt;
    const auto group = groupDefining(layout, parsed.document(), value->get<std::string>());
    if (!group) return std::nullopt;
    return groupPointer(layout, group->index);
}

}  // namespace OrvexConfigValidate::Lsp
