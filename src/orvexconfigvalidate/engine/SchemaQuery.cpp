#include "engine/SchemaQuery.hpp"

#include <algorithm>
#include <map>
#include <unordered_set>

#include <re2/re2.h>

#include "engine/SchemaNode.hpp"
#include "json/PointerText.hpp"

namespace OrvexConfigValidate {

namespace {

using Nodes = std::vector<const SchemaNode*>;

// "$ref" is redirected once compiling ends; a chain is still followed, at
// most once per node.
const SchemaNode* resolved(const SchemaNode* node, std::size_t nodeCount) {
    for (std::size_t steps = 0; node != nullptr && node->ref != nullptr && steps < nodeCount;
         ++steps) {
        node = node->ref;
    }
    return node;
}

void pushChildren(const SchemaNode& node, Nodes& stack) {
    for (const auto* list : {&node.allOf, &node.anyOf, &node.oneOf}) {
        stack.insert(stack.end(), list->begin(), list->end());
    }
    for (const SchemaNode* branch : {node.ifSchema, node.thenSchema, node.elseSchema}) {
        if (branch != nullptr) stack.push_back(branch);
    }
    for (const Dependency& dependency : node.dependencies) {
        if (dependency.schema != nullptr) stack.push_back(dependency.schema);
    }
}

// Every subschema that judges the same instance as the given ones.
Nodes sameInstance(Nodes stack, std::size_t nodeCount) {
    std::unordered_set<const SchemaNode*> seen;
    Nodes out;
    while (!stack.empty()) {
        const SchemaNode* node = resolved(stack.back(), nodeCount);
        stack.pop_back();
        if (node == nullptr || !seen.insert(node).second) continue;
        out.push_back(node);
        pushChildren(*node, stack);
    }
    return out;
}

bool stepIntoMember(const SchemaNode& node, const std::string& token, Nodes& next) {
    bool named = false;
    const auto found = std::lower_bound(
        node.properties.begin(), node.properties.end(), token,
        [](const auto& property, const std::string& name) { return property.first < name; });
    if (found != node.properties.end() && found->first == token) {
        next.push_back(found->second);
        named = true;
    }
    for (const auto& [pattern, schema] : node.patternProperties) {
        if (pattern.regex && RE2::PartialMatch(token, *pattern.regex)) {
            next.push_back(schema);
            named = true;
        }
    }
    return named;
}

void stepIntoElement(const SchemaNode& node, std::size_t index, Nodes& next) {
    if (index < node.itemList.size()) {
        next.push_back(node.itemList[index]);
    } else if (!node.itemList.empty()) {
        if (node.additionalItems != nullptr) next.push_back(node.additionalItems);
    } else if (node.items != nullptr) {
        next.push_back(node.items);
    }
}

Nodes step(const Nodes& nodes, const std::string& token, std::size_t nodeCount) {
    Nodes next;
    const std::optional<std::size_t> index = arrayIndexOf(token);
    for (const SchemaNode* node : nodes) {
        if (!stepIntoMember(*node, token, next) && node->additionalProperties != nullptr) {
            next.push_back(node->additionalProperties);
        }
        if (index) stepIntoElement(*node, *index, next);
    }
    return sameInstance(std::move(next), nodeCount);
}

void addTypes(std::uint8_t bits, std::vector<std::string>& types) {
    static const std::pair<std::uint8_t, const char*> kNames[] = {
        {kTypeNull, "null"},     {kTypeBoolean, "boolean"}, {kTypeObject, "object"},
        {kTypeArray, "array"},   {kTypeNumber, "number"},   {kTypeInteger, "integer"},
        {kTypeString, "string"},
    };
    for (const auto& [bit, name] : kNames) {
        if ((bits & bit) != 0 && std::find(types.begin(), types.end(), name) == types.end()) {
            types.emplace_back(name);
        }
    }
}

void addValue(const nlohmann::json& value, std::vector<nlohmann::json>& values) {
    if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
}

void annotate(const Nodes& nodes, std::string& title, std::string& description) {
    for (const SchemaNode* node : nodes) {
        if (title.empty()) title = node->title;
        if (description.empty()) description = node->description;
    }
}

void addMembers(const Nodes& nodes, std::size_t nodeCount, SchemaPlaceInfo& info) {
    std::map<std::string, SchemaMemberInfo> members;
    for (const SchemaNode* node : nodes) {
        for (const auto& [name, schema] : node->properties) {
            SchemaMemberInfo& member = members[name];
            if (!member.name.empty()) continue;
            member.name = name;
            annotate(sameInstance({schema}, nodeCount), member.title, member.description);
        }
    }
    for (const SchemaNode* node : nodes) {
        for (const std::string& name : node->required) {
            SchemaMemberInfo& member = members[name];
            member.name = name;
            member.required = true;
        }
    }
    for (auto& entry : members) info.members.push_back(std::move(entry.second));
}

}  // namespace

bool SchemaPlaceInfo::allows(std::string_view type) const {
    return std::find(types.begin(), types.end(), type) != types.end();
}

SchemaPlaceInfo describeSchemaPlace(const CompiledSchema& schema,
                                    const std::vector<std::string>& tokens) {
    const std::size_t nodeCount = schema.size() + 1;
    Nodes nodes = sameInstance({schema.root}, nodeCount);
    for (const std::string& token : tokens) {
        if (nodes.empty()) break;
        nodes = step(nodes, token, nodeCount);
    }
    SchemaPlaceInfo info;
    if (nodes.empty()) return info;
    info.known = true;
    annotate(nodes, info.title, info.description);
    for (const SchemaNode* node : nodes) {
        addTypes(node->types, info.types);
        for (const auto& value : node->enumValues) addValue(value, info.enumValues);
        if (std::find(node->checks.begin(), node->checks.end(), Check::Const) !=
            node->checks.end()) {
            addValue(node->constValue, info.enumValues);
        }
    }
    addMembers(nodes, nodeCount, info);
    return info;
}

}  // namespace OrvexConfigValidate
