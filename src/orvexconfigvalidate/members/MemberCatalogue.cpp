#include <orvexconfigvalidate/MemberCatalogue.hpp>

#include <algorithm>
#include <map>
#include <optional>

#include <nlohmann/json.hpp>

#include "json/PointerText.hpp"
#include "members/MemberTexts.hpp"
#include "schemas/EmbeddedSchemas.hpp"
#include "schemas/SchemaId.hpp"

namespace OrvexConfigValidate {

namespace {

using Json = nlohmann::json;

const std::map<std::string, Json>& builtInSchemas() {
    static const std::map<std::string, Json> parsed = [] {
        std::map<std::string, Json> schemas;
        registerEmbeddedSchemas(schemas);
        return schemas;
    }();
    return parsed;
}

const Json* schemaRoot(const std::string& schemaId) {
    const auto found = builtInSchemas().find(schemaId);
    return found == builtInSchemas().end() ? nullptr : &found->second;
}

// A place in the schemas: the schema that names it, its pattern there, its
// subschema, and for a member the object schema that names it.
struct SchemaPlace {
    std::string schemaId;
    std::string pattern;
    const Json* node = nullptr;
    const Json* parent = nullptr;
    std::string name;
};

// Where the subschema's "$ref" leads (to the root of another built-in
// schema), or false when it has none or leads nowhere known.
bool followReference(SchemaPlace& place) {
    const auto ref = place.node->find("$ref");
    if (ref == place.node->end() || !ref->is_string()) return false;
    const std::string target = normalizeSchemaId(ref->get<std::string>());
    const Json* root = schemaRoot(target);
    if (root == nullptr) return false;
    place = SchemaPlace{target, "", root, nullptr, ""};
    return true;
}

const Json* namedMember(const Json& node, const std::string& name) {
    const auto properties = node.find("properties");
    if (properties == node.end() || !properties->is_object()) return nullptr;
    const auto member = properties->find(name);
    return member == properties->end() ? nullptr : &*member;
}

const Json* arrayItems(const Json& node, const std::string& token) {
    if (token != "*" && !arrayIndexOf(token)) return nullptr;
    const auto items = node.find("items");
    return items != node.end() && items->is_object() ? &*items : nullptr;
}

bool step(SchemaPlace& place, const std::string& token) {
    // A chain of references is as long as the schemas are few.
    for (std::size_t hops = 0; hops < kEmbeddedSchemaCount; ++hops) {
        if (!followReference(place)) break;
    }
    if (!place.node->is_object()) return false;
    if (const Json* member = namedMember(*place.node, token)) {
        place.parent = place.node;
        place.node = member;
        place.name = token;
        place.pattern += "/" + escapePointerToken(token);
        return true;
    }
    if (const Json* items = arrayItems(*place.node, token)) {
        place.parent = nullptr;
        place.node = items;
        place.name.clear();
        place.pattern += "/*";
        return true;
    }
    return false;
}

std::optional<SchemaPlace> placeOf(const std::string& schemaId, std::string_view pointer) {
    const Json* root = schemaRoot(schemaId);
    const auto tokens = splitPointer(pointer);
    if (root == nullptr || !tokens) return std::nullopt;
    SchemaPlace place{schemaId, "", root, nullptr, ""};
    for (const std::string& token : *tokens) {
        if (!step(place, token)) return std::nullopt;
    }
    return place;
}

std::string typeOf(const Json& node) {
    const auto type = node.find("type");
    if (type == node.end()) return "";
    if (type->is_string()) return type->get<std::string>();
    std::string text;
    for (const Json& name : *type) {
        if (name.is_string()) text += (text.empty() ? "" : " or ") + name.get<std::string>();
    }
    return text;
}

bool isRequired(const SchemaPlace& place) {
    if (place.parent == nullptr) return false;
    const auto required = place.parent->find("required");
    return required != place.parent->end() && required->is_array() &&
           std::find(required->begin(), required->end(), Json(place.name)) != required->end();
}

std::string numberAt(const Json& node, const char* keyword) {
    const auto found = node.find(keyword);
    return found != node.end() && found->is_number() ? found->dump() : "";
}

std::string rangeOf(const Json& node) {
    const std::string minimum = numberAt(node, "minimum");
    const std::string maximum = numberAt(node, "maximum");
    const std::string minLength = numberAt(node, "minLength");
    if (!minimum.empty() && !maximum.empty()) return minimum + " to " + maximum;
    if (!minimum.empty()) return "at least " + minimum;
    if (!maximum.empty()) return "at most " + maximum;
    if (!minLength.empty()) {
        return "at least " + minLength + (minLength == "1" ? " character" : " characters");
    }
    return "";
}

// The names a description gives its values, written "name=value, ...".
std::map<std::int64_t, std::string> namesInDescription(const Json& node) {
    std::map<std::int64_t, std::string> names;
    const auto description = node.find("description");
    if (description == node.end() || !description->is_string()) return names;
    const std::string& text = description->get_ref<const std::string&>();
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find(',', begin);
        if (end == std::string::npos) end = text.size();
        const std::string part = text.substr(begin, end - begin);
        const std::size_t equals = part.find('=');
        const std::size_t nameStart = part.find_first_not_of(' ');
        if (equals != std::string::npos && nameStart < equals) {
            const Json value = Json::parse(part.substr(equals + 1), nullptr, false);
            if (value.is_number_integer()) {
                names[value.get<std::int64_t>()] = part.substr(nameStart, equals - nameStart);
            }
        }
        begin = end + 1;
    }
    return names;
}

std::vector<std::pair<std::int64_t, std::string>> enumeratorsOf(const Json& node) {
    std::vector<std::pair<std::int64_t, std::string>> enumerators;
    const auto values = node.find("enum");
    if (values == node.end() || !values->is_array()) return enumerators;
    const auto names = namesInDescription(node);
    for (const Json& value : *values) {
        if (!value.is_number_integer()) continue;
        const std::int64_t number = value.get<std::int64_t>();
        const auto name = names.find(number);
        enumerators.emplace_back(number, name == names.end() ? "" : name->second);
    }
    return enumerators;
}

MemberEntry entryOf(const MemberText& text) {
    MemberEntry entry{
        text.schemaId, text.pattern, text.title, text.description, text.unit, text.whenMissing, "",
        false,         "",           {}};
    // A row that names no member of its schema keeps no type (a test looks).
    const auto place = placeOf(entry.schemaId, entry.pattern);
    if (!place || place->pattern != entry.pattern || place->schemaId != entry.schemaId) {
        return entry;
    }
    SchemaPlace referenced = *place;
    entry.type = typeOf(followReference(referenced) ? *referenced.node : *place->node);
    entry.required = isRequired(*place);
    entry.range = rangeOf(*place->node);
    entry.enumerators = enumeratorsOf(*place->node);
    return entry;
}

using EntryIndex = std::map<std::pair<std::string, std::string>, const MemberEntry*>;

const EntryIndex& entryIndex() {
    static const EntryIndex index = [] {
        EntryIndex entries;
        for (const MemberEntry& entry : memberCatalogue()) {
            entries.emplace(std::make_pair(entry.schemaId, entry.pattern), &entry);
        }
        return entries;
    }();
    return index;
}

}  // namespace

const std::vector<MemberEntry>& memberCatalogue() {
    static const std::vector<MemberEntry> entries = [] {
        std::vector<MemberEntry> built;
        built.reserve(kMemberTextCount);
        for (std::size_t i = 0; i < kMemberTextCount; ++i)
            built.push_back(entryOf(kMemberTexts[i]));
        return built;
    }();
    return entries;
}

const MemberEntry* describeMember(const std::string& schemaId, std::string_view pointer) {
    const auto place = placeOf(schemaId, pointer);
    if (!place) return nullptr;
    const auto found = entryIndex().find(std::make_pair(place->schemaId, place->pattern));
    return found == entryIndex().end() ? nullptr : found->second;
}

}  // namespace OrvexConfigValidate
