#include "Completion.hpp"

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/JsonWriter.hpp>

#include "CursorContext.hpp"
#include "Diagnostics.hpp"
#include "ProtocolKinds.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

std::string pointerOf(const std::vector<std::string>& tokens) {
    std::string pointer;
    for (const auto& token : tokens) appendPointerToken(pointer, token);
    return pointer;
}

// The text as written inside a JSON string.
std::string escaped(const std::string& text) {
    const std::string quoted = jsonString(text);
    return quoted.substr(1, quoted.size() - 2);
}

struct Request {
    const FeatureContext& feature;
    CursorContext cursor;
    const ParsedText* parsed;  // the last good parse, or null
    std::size_t offset;
};

nlohmann::json list(nlohmann::json items, bool incomplete = false) {
    return {{"isIncomplete", incomplete}, {"items", std::move(items)}};
}

// Names the object at the pointer already has, in the text before the
// cursor or in the last text that parsed.
std::set<std::string> presentMembers(const Request& request, const std::string& pointer) {
    std::set<std::string> present(request.cursor.keysBefore.begin(),
                                  request.cursor.keysBefore.end());
    if (request.parsed != nullptr) {
        const nlohmann::json* object = valueAt(request.parsed->document(), pointer);
        if (object != nullptr && object->is_object()) {
            for (const auto& item : object->items()) present.insert(item.key());
        }
    }
    return present;
}

nlohmann::json memberItems(const Request& request, const std::string& pointer) {
    const FeatureContext& feature = request.feature;
    const SchemaPlaceInfo info =
        feature.validator.describeSchemaAt(feature.document.schemaId, pointer);
    const std::set<std::string> present = presentMembers(request, pointer);
    const std::string_view text = feature.document.text;
    std::size_t begin = request.offset;
    std::size_t end = request.offset;
    if (request.cursor.inKey) {
        begin = request.cursor.keyStart;
        // An editor that closes quotes by itself leaves one after the cursor.
        if (end < text.size() && text[end] == '"') ++end;
    }
    const nlohmann::json range = rangeBetween(begin, end, feature.positions);
    nlohmann::json items = nlohmann::json::array();
    std::vector<const SchemaMemberInfo*> offered;
    for (const SchemaMemberInfo& member : info.members) {
        if (member.required && present.count(member.name) == 0) offered.push_back(&member);
    }
    for (const SchemaMemberInfo& member : info.members) {
        if (!member.required && present.count(member.name) == 0) offered.push_back(&member);
    }
    for (const SchemaMemberInfo* offer : offered) {
        const SchemaMemberInfo& member = *offer;
        const std::string quoted = "\"" + escaped(member.name) + "\"";
        nlohmann::json item = {{"label", member.name},
                               {"kind", CompletionItemKind::kProperty},
                               {"sortText", (member.required ? "0" : "1") + member.name},
                               {"filterText", quoted},
                               {"textEdit", {{"range", range}, {"newText", quoted + ": "}}}};
        if (member.required) item["detail"] = "required";
        const std::string& about = member.description.empty() ? member.title : member.description;
        if (!about.empty()) item["documentation"] = about;
        items.push_back(std::move(item));
    }
    return list(std::move(items));
}

std::string_view enumeratorName(ConfigPlace::Kind kind, std::int64_t value) {
    if (kind == ConfigPlace::ServerMode) return opModeName(value);
    if (kind == ConfigPlace::GroupType) return groupTypeName(value);
    if (kind == ConfigPlace::GroupOutputMode) return bridgingOpModeName(value);
    return {};
}

nlohmann::json valueItem(const std::string& label, const std::string& text, int kind,
                         const nlohmann::json& range) {
    return {{"label", label},
            {"kind", kind},
            {"filterText", text},
            {"textEdit", {{"range", range}, {"newText", text}}}};
}

nlohmann::json valueItems(const Request& request, const Configuration& configuration,
                          const std::string& pointer) {
    const FeatureContext& feature = request.feature;
    nlohmann::json items = nlohmann::json::array();
    // A value inside a string is a string: none of these fit there.
    if (request.cursor.inString) return list(std::move(items));
    const SchemaPlaceInfo info =
        feature.validator.describeSchemaAt(feature.document.schemaId, pointer);
    const nlohmann::json range = rangeBetween(request.offset, request.offset, feature.positions);
    const ConfigPlace::Kind kind = configuration.placeOf(pointer).kind;
    for (const nlohmann::json& value : info.enumValues) {
        const std::string text = jsonText(value);
        std::string label = text;
        if (value.is_number_integer()) {
            const std::string_view name = enumeratorName(kind, value.get<std::int64_t>());
            if (!name.empty()) label += " \u2014 " + std::string(name);
        }
        items.push_back(valueItem(label, text, CompletionItemKind::kEnumMember, range));
    }
    if (info.enumValues.empty() && info.allows("boolean")) {
        items.push_back(valueItem("true", "true", CompletionItemKind::kKeyword, range));
        items.push_back(valueItem("false", "false", CompletionItemKind::kKeyword, range));
    }
    return list(std::move(items));
}

nlohmann::json groupIdItems(const Request& request, const Configuration& configuration) {
    const FeatureContext& feature = request.feature;
    const CursorContext& cursor = request.cursor;
    // Inside a string the typed part is replaced; elsewhere a whole string
    // literal is inserted.
    const std::size_t begin = cursor.inString ? cursor.stringContentStart : request.offset;
    const std::string_view typed =
        std::string_view(feature.document.text).substr(begin, request.offset - begin);
    const nlohmann::json range = rangeBetween(begin, request.offset, feature.positions);
    nlohmann::json items = nlohmann::json::array();
    // Ids are compared as written in the text; only a typed escape needs
    // each id escaped.
    const bool typedEscape = typed.find('\\') != std::string_view::npos;
    for (const std::string_view idView : configuration.groupIds()) {
        const bool matches = typedEscape
                                 ? escaped(std::string(idView)).compare(0, typed.size(), typed) == 0
                                 : idView.substr(0, typed.size()) == typed;
        if (!matches) continue;
        if (items.size() == kMaxGroupIdItems) return list(std::move(items), true);
        const ConfigGroup& group = *configuration.group(idView);
        const std::string id(idView);
        const std::string text = cursor.inString ? escaped(id) : "\"" + escaped(id) + "\"";
        nlohmann::json item = {
            {"label", id},
            {"kind", CompletionItemKind::kValue},
            {"detail", (group.name.empty() ? std::string("group") : std::string(group.name)) +
                           " (index " + std::to_string(group.index) + ")"},
            {"textEdit", {{"range", range}, {"newText", text}}}};
        if (!cursor.inString) item["filterText"] = text;
        items.push_back(std::move(item));
    }
    return list(std::move(items));
}

}  // namespace

nlohmann::json completion(const FeatureContext& context) {
    const std::size_t offset = context.offset();
    Request request{context, cursorContext(context.document.text, offset),
                    context.document.lastGoodParse(), offset};
    const CursorContext& cursor = request.cursor;
    if (!cursor.inContainer) return list(nlohmann::json::array());
    const std::string container = pointerOf(cursor.containerPath);
    if (!cursor.containerIsArray && (cursor.expectingKey || cursor.inKey)) {
        return memberItems(request, container);
    }
    // The current text's model when it parses, else one of the last text
    // that did.
    static const nlohmann::json kEmpty = nlohmann::json::object();
    std::optional<Configuration> older;
    const Configuration* configuration = context.document.configuration();
    if (configuration == nullptr) {
        older.emplace(context.document.schemaId,
                      request.parsed ? request.parsed->document() : kEmpty);
        configuration = &*older;
    }
    const std::string last =
        cursor.containerIsArray ? std::to_string(cursor.elementIndex) : cursor.memberKey;
    std::string pointer = container;
    appendPointerToken(pointer, last);
    if (cursor.containerIsArray &&
        configuration->placeOf(pointer).kind == ConfigPlace::GroupReference) {
        return groupIdItems(request, *configuration);
    }
    return valueItems(request, *configuration, pointer);
}

}  // namespace OrvexConfigValidate::Lsp
