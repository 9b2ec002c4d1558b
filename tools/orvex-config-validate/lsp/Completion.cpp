#include "Completion.hpp"

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/JsonWriter.hpp>
#include <orvexconfigvalidate/MemberCatalogue.hpp>
#include <orvexconfigvalidate/Pointer.hpp>

#include "CursorContext.hpp"
#include "MemberText.hpp"

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
    const Document& document;
    const Validator& validator;
    CursorContext cursor;
    const ParsedText* parsed;  // the last good parse, or null
    std::size_t offset;
};

Completions list(std::vector<CompletionItem> items, bool incomplete = false) {
    return {std::move(items), incomplete};
}

// Names the object at the pointer already has, in the text before the
// cursor or in the last text that parsed.
std::set<std::string> presentMembers(const Request& request, const std::string& pointer) {
    std::set<std::string> present(request.cursor.keysBefore.begin(),
                                  request.cursor.keysBefore.end());
    if (request.parsed != nullptr) {
        for (const JsonView::Member member : valueAt(request.parsed->root(), pointer).members())
            present.emplace(member.name());
    }
    return present;
}

// The member catalogue's words (Markdown) where it names the member, else
// the schema's.
void setDocumentation(CompletionItem& item, const std::string& schemaId, const std::string& object,
                      const SchemaMemberInfo& member) {
    std::string pointer = object;
    appendPointerToken(pointer, member.name);
    if (const MemberEntry* entry = describeMember(schemaId, pointer)) {
        item.documentation = Tool::memberMarkdown(*entry);
        item.documentationMarkdown = true;
        return;
    }
    item.documentation = member.description.empty() ? member.title : member.description;
}

Completions memberItems(const Request& request, const std::string& pointer) {
    const SchemaPlaceInfo info =
        request.validator.describeSchemaAt(request.document.schemaId(), pointer);
    const std::set<std::string> present = presentMembers(request, pointer);
    const std::string_view text = request.document.text();
    std::size_t begin = request.offset;
    std::size_t end = request.offset;
    if (request.cursor.inKey) {
        begin = request.cursor.keyStart;
        // An editor that closes quotes by itself leaves one after the cursor.
        if (end < text.size() && text[end] == '"') ++end;
    }
    std::vector<CompletionItem> items;
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
        CompletionItem item;
        item.label = member.name;
        item.kind = CompletionItem::Member;
        item.sortText = (member.required ? "0" : "1") + member.name;
        item.filterText = quoted;
        item.begin = begin;
        item.end = end;
        item.newText = quoted + ": ";
        if (member.required) item.detail = "required";
        setDocumentation(item, request.document.schemaId(), pointer, member);
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

CompletionItem valueItem(const std::string& label, const std::string& text,
                         CompletionItem::Kind kind, std::size_t at) {
    CompletionItem item;
    item.label = label;
    item.kind = kind;
    item.filterText = text;
    item.begin = at;
    item.end = at;
    item.newText = text;
    return item;
}

Completions valueItems(const Request& request, const Configuration& configuration,
                       const std::string& pointer) {
    std::vector<CompletionItem> items;
    // A value inside a string is a string: none of these fit there.
    if (request.cursor.inString) return list(std::move(items));
    const SchemaPlaceInfo info =
        request.validator.describeSchemaAt(request.document.schemaId(), pointer);
    const std::size_t at = request.offset;
    const ConfigPlace::Kind kind = configuration.placeOf(pointer).kind;
    for (const nlohmann::json& value : info.enumValues) {
        const std::string text = jsonText(value);
        std::string label = text;
        if (value.is_number_integer()) {
            const std::string_view name = enumeratorName(kind, value.get<std::int64_t>());
            if (!name.empty()) label += " \u2014 " + std::string(name);
        }
        items.push_back(valueItem(label, text, CompletionItem::EnumValue, at));
    }
    if (info.enumValues.empty() && info.allows("boolean")) {
        items.push_back(valueItem("true", "true", CompletionItem::Keyword, at));
        items.push_back(valueItem("false", "false", CompletionItem::Keyword, at));
    }
    return list(std::move(items));
}

Completions groupIdItems(const Request& request, const Configuration& configuration) {
    const CursorContext& cursor = request.cursor;
    // Inside a string the typed part is replaced; elsewhere a whole string
    // literal is inserted.
    const std::size_t begin = cursor.inString ? cursor.stringContentStart : request.offset;
    const std::string_view typed =
        std::string_view(request.document.text()).substr(begin, request.offset - begin);
    std::vector<CompletionItem> items;
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
        CompletionItem item;
        item.label = id;
        item.kind = CompletionItem::GroupId;
        item.detail = (group.name.empty() ? std::string("group") : std::string(group.name)) +
                      " (index " + std::to_string(group.index) + ")";
        item.begin = begin;
        item.end = request.offset;
        item.newText = text;
        if (!cursor.inString) item.filterText = text;
        items.push_back(std::move(item));
    }
    return list(std::move(items));
}

}  // namespace

Completions completionsAt(const Document& document, std::size_t offset,
                          const Validator& validator) {
    Request request{document, validator, cursorContext(document.text(), offset),
                    document.lastGoodParse(), offset};
    const CursorContext& cursor = request.cursor;
    if (!cursor.inContainer) return list({});
    const std::string container = pointerOf(cursor.containerPath);
    if (!cursor.containerIsArray && (cursor.expectingKey || cursor.inKey)) {
        return memberItems(request, container);
    }
    // The current text's model when it parses, else one of the last text
    // that did.
    static const nlohmann::json kEmpty = nlohmann::json::object();
    std::optional<Configuration> older;
    const Configuration* configuration = document.configuration();
    if (configuration == nullptr) {
        older.emplace(document.schemaId(),
                      request.parsed != nullptr ? request.parsed->root() : JsonView(kEmpty));
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
