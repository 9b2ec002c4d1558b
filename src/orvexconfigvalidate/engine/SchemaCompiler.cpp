// Turns schema documents into SchemaNodes: every subschema that the root
// reaches is compiled once, references point straight at their targets.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

#include <re2/re2.h>

#include "engine/CompiledSchema.hpp"
#include "engine/EcmaRegex.hpp"
#include "engine/JsonNumbers.hpp"
#include "engine/SchemaLimits.hpp"
#include "engine/SchemaNode.hpp"
#include "engine/UriReference.hpp"
#include "engine/ValueText.hpp"
#include "engine/WorkBudget.hpp"
#include "json/PointerText.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

// The values as integers when every one is an integer that 64 signed bits
// hold; none otherwise.
std::vector<std::int64_t> integersOf(const std::vector<json>& values) {
    std::vector<std::int64_t> integers;
    for (const json& value : values) {
        if (value.is_number_integer() && !value.is_number_unsigned()) {
            integers.push_back(value.get<std::int64_t>());
        } else if (value.is_number_unsigned() &&
                   value.get<std::uint64_t>() <=
                       static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            integers.push_back(static_cast<std::int64_t>(value.get<std::uint64_t>()));
        } else {
            return {};
        }
    }
    return integers;
}

// Units of work a compilation may take, whatever the schema: stored bytes
// of places and labels count one each, so this bounds their memory too.
constexpr std::uint64_t kCompileWork = 32'000'000;
// What indexing a subschema keeps beside its pointer.
constexpr std::size_t kPlaceBytes = 96;
// Units per regex program instruction compiled: RE2 takes up to a couple
// of microseconds for each.
constexpr std::uint64_t kRegexCompileUnits = 128;

bool isSchemaValue(const json& value) {
    return value.is_object() || value.is_boolean();
}

// Subschema positions: keyword and how its value holds schemas.
enum class Holds { One, List, Map, OneOrList };
struct SubschemaKeyword {
    const char* name;
    Holds holds;
};
const SubschemaKeyword kSubschemaKeywords[] = {
    {"additionalItems", Holds::One},
    {"additionalProperties", Holds::One},
    {"allOf", Holds::List},
    {"anyOf", Holds::List},
    {"contains", Holds::One},
    {"definitions", Holds::Map},
    {"dependencies", Holds::Map},
    {"else", Holds::One},
    {"if", Holds::One},
    {"items", Holds::OneOrList},
    {"not", Holds::One},
    {"oneOf", Holds::List},
    {"patternProperties", Holds::Map},
    {"properties", Holds::Map},
    {"propertyNames", Holds::One},
    {"then", Holds::One},
};

// Keywords whose value is a count, with where the node keeps it and the
// check it adds, grouped in the order their checks are reported.
struct CountKeyword {
    const char* name;
    std::uint64_t SchemaNode::*slot;
    Check check;
};
const CountKeyword kLengthKeywords[] = {
    {"maxLength", &SchemaNode::maxLength, Check::MaxLength},
    {"minLength", &SchemaNode::minLength, Check::MinLength},
};
const CountKeyword kItemCountKeywords[] = {
    {"maxItems", &SchemaNode::maxItems, Check::MaxItems},
    {"minItems", &SchemaNode::minItems, Check::MinItems},
};
const CountKeyword kMemberCountKeywords[] = {
    {"maxProperties", &SchemaNode::maxProperties, Check::MaxProperties},
    {"minProperties", &SchemaNode::minProperties, Check::MinProperties},
};

class Compiler {
  public:
    explicit Compiler(const SchemaDocumentSource& documents) : source(documents) {}

    std::shared_ptr<CompiledSchema> run(std::shared_ptr<const json> root,
                                        const std::string& retrievalUri) {
        out = std::make_shared<CompiledSchema>();
        const json* rootValue = addDocument(std::move(root), retrievalUri);
        const SchemaNode* rootNode = nodeFor(rootValue);
        while (!worklist.empty()) {
            const auto [value, node] = worklist.back();
            worklist.pop_back();
            compile(*value, *node);
        }
        checkCycles();
        checkChainLength(rootNode);
        redirectReferences();
        out->root = finalTarget(rootNode);
        return out;
    }

  private:
    struct Place {
        std::size_t doc = 0;
        std::string pointer;  // RFC 6901 inside the document
        // The base URI in force, shared by every subschema under one "$id":
        // a long one is not copied per subschema.
        std::shared_ptr<const std::string> base;
    };

    [[noreturn]] void fail(const std::string& message) { throw std::invalid_argument(message); }

    [[noreturn]] void badKeyword(const char* keyword, const SchemaNode& at, const char* what) {
        fail(std::string("schema keyword \"") + keyword + "\" at " + at.label + " must be " + what);
    }

    std::string label(const Place& place) const {
        return (place.doc == 0 ? std::string() : docUris[place.doc]) + "#" + place.pointer;
    }

    // ---- documents and the places of their subschemas ----

    const json* addDocument(std::shared_ptr<const json> content, const std::string& uri) {
        const json* value = content.get();
        const auto known = docByIdentity.find(value);
        if (known != docByIdentity.end()) {
            // The same document under another name: compiled once.
            resources.emplace(uri, value);
            return value;
        }
        if (value->is_object()) {
            const auto unusable = value->find(kUnusableSchemaMember);
            if (unusable != value->end() && unusable->is_string())
                fail(unusable->get<std::string>());
        }
        if (jsonNestingDepth(*value) > kMaxSchemaNesting) {
            fail("schema document " + (uri.empty() ? std::string("#") : uri) +
                 " is nested deeper than " + std::to_string(kMaxSchemaNesting) + " levels");
        }
        const std::size_t doc = docs.size();
        docs.push_back(std::move(content));
        docUris.push_back(uri);
        docByIdentity.emplace(value, doc);
        resources.emplace(uri, value);
        index(doc, *value, "", std::make_shared<const std::string>(uri));
        return value;
    }

    // Records the place of every subschema and the names that "$id" gives.
    // Nesting is bounded above, so recursion is safe here.
    void index(std::size_t doc, const json& value, const std::string& pointer,
               std::shared_ptr<const std::string> base) {
        work.charge(kPlaceBytes + pointer.size());
        if (!places.emplace(&value, Place{doc, pointer, base}).second) return;
        if (!value.is_object()) return;
        // Everything beside a reference is ignored, "$id" included.
        const auto ref = value.find("$ref");
        if (ref != value.end() && ref->is_string()) return;
        const auto ownId = value.find("$id");
        if (ownId != value.end() && ownId->is_string())
            base = nameById(value, ownId->get_ref<const std::string&>(), std::move(base));
        for (const SubschemaKeyword& keyword : kSubschemaKeywords) {
            const auto found = value.find(keyword.name);
            if (found == value.end()) continue;
            std::string at = pointer;
            appendPointerToken(at, keyword.name);
            indexKeyword(doc, *found, keyword.holds, at, base);
        }
    }

    // Records what an "$id" names; returns the base URI in force below it.
    std::shared_ptr<const std::string> nameById(const json& value, const std::string& text,
                                                std::shared_ptr<const std::string> base) {
        work.charge(2 * (base->size() + text.size()));
        const std::string resolved = resolveUriReference(*base, text);
        const std::string fragment = fragmentOf(resolved);
        if (!text.empty() && text[0] == '#') {
            if (!fragment.empty()) anchors.emplace(withoutFragment(*base) + "#" + fragment, &value);
            return base;
        }
        base = std::make_shared<const std::string>(withoutFragment(resolved));
        places[&value].base = base;
        resources.emplace(*base, &value);
        if (!fragment.empty() && fragment[0] != '/')
            anchors.emplace(*base + "#" + fragment, &value);
        return base;
    }

    // Indexes the schemas that one keyword's value holds.
    void indexKeyword(std::size_t doc, const json& member, Holds holds, const std::string& at,
                      const std::shared_ptr<const std::string>& base) {
        const bool list = holds == Holds::List || holds == Holds::OneOrList;
        const bool single = holds == Holds::One || holds == Holds::OneOrList;
        if (member.is_array() && list) {
            for (std::size_t i = 0; i < member.size(); ++i)
                if (isSchemaValue(member[i]))
                    index(doc, member[i], at + "/" + std::to_string(i), base);
        } else if (holds == Holds::Map && member.is_object()) {
            for (auto entry = member.begin(); entry != member.end(); ++entry) {
                if (!isSchemaValue(entry.value())) continue;
                std::string entryAt = at;
                appendPointerToken(entryAt, entry.key());
                index(doc, entry.value(), entryAt, base);
            }
        } else if (single && isSchemaValue(member)) {
            index(doc, member, at, base);
        }
    }

    // ---- references ----

    const json* resolve(const std::string& written, const Place& from) {
        // Each reference is resolved against its base, in several passes
        // over it: a long base costs as often as it is used.
        work.charge(from.base->size() + written.size() + from.pointer.size());
        const std::string full = resolveUriReference(*from.base, written);
        const std::string location = withoutFragment(full);
        const std::string fragment = fragmentOf(full);
        const json* start = nullptr;
        const auto known = resources.find(location);
        if (known != resources.end()) {
            start = known->second;
        } else {
            std::shared_ptr<const json> fetched = source ? source(location) : nullptr;
            if (!fetched) fail("cannot resolve schema $ref: " + location + " # ");
            start = addDocument(std::move(fetched), location);
        }
        if (fragment.empty()) return start;
        if (fragment[0] != '/') {
            const auto anchor = anchors.find(location + "#" + fragment);
            if (anchor == anchors.end()) fail("schema $ref target not found: " + full);
            return anchor->second;
        }
        const Place startPlace = places.at(start);
        const json* value = start;
        std::string pointer = startPlace.pointer;
        const auto tokens = splitPointer(percentDecode(fragment));
        if (!tokens) fail("schema $ref target not found: " + full);
        for (const std::string& token : *tokens) {
            const auto index = arrayIndexOf(token);
            if (value->is_object() && value->contains(token)) {
                value = &(*value)[token];
            } else if (value->is_array() && index && *index < value->size()) {
                value = &(*value)[*index];
            } else {
                fail("schema $ref target not found: " + full);
            }
            appendPointerToken(pointer, token);
        }
        if (!isSchemaValue(*value)) fail("schema $ref target is not a schema: " + full);
        if (places.find(value) == places.end()) {
            // Somewhere no keyword puts a schema (an unknown keyword, say).
            index(startPlace.doc, *value, pointer, startPlace.base);
        }
        return value;
    }

    // ---- nodes ----

    SchemaNode* nodeFor(const json* value) {
        const auto known = nodes.find(value);
        if (known != nodes.end()) return known->second;
        out->nodes.emplace_back();
        SchemaNode* node = &out->nodes.back();
        node->label = label(places.at(value));
        work.charge(sizeof(SchemaNode) + node->label.size());
        nodes.emplace(value, node);
        worklist.emplace_back(value, node);
        order.push_back(node);
        return node;
    }

    const SchemaNode* subschema(const char* keyword, const json& value, const SchemaNode& at) {
        if (!isSchemaValue(value)) badKeyword(keyword, at, "a schema");
        return nodeFor(&value);
    }

    std::uint64_t count(const json& value, const char* keyword, const SchemaNode& at) {
        if (!isIntegralNumber(value) || compareNumbers(value, json(0)) < 0)
            badKeyword(keyword, at, "a non-negative integer");
        if (value.is_number_unsigned()) return value.get<std::uint64_t>();
        if (value.is_number_integer()) return static_cast<std::uint64_t>(value.get<std::int64_t>());
        const double d = value.get<double>();
        return d >= 18446744073709551615.0 ? std::numeric_limits<std::uint64_t>::max()
                                           : static_cast<std::uint64_t>(d);
    }

    PatternCheck pattern(const std::string& text, const SchemaNode& at) {
        if (text.size() > kMaxPatternLength) {
            fail("schema pattern longer than " + std::to_string(kMaxPatternLength) +
                 " characters at " + at.label);
        }
        auto cached = regexes.find(text);
        if (cached == regexes.end()) {
            work.chargeBytes(text.size());
            EcmaRegexCompilation compiled = compileEcmaRegex(text);
            if (!compiled.regex) {
                fail("schema pattern " + quotedText(text, kMaxPatternLength) + " at " + at.label +
                     " cannot be used: " + compiled.error);
            }
            // Compiling costs about as much per instruction as it makes; a
            // schema of many large patterns cannot take seconds.
            work.charge(kRegexCompileUnits * regexCost(*compiled.regex));
            cached = regexes.emplace(text, compiled.regex).first;
        }
        return PatternCheck{text, cached->second, regexCost(*cached->second)};
    }

    std::vector<std::string> names(const json& value, const char* keyword, const SchemaNode& at) {
        if (!value.is_array()) badKeyword(keyword, at, "an array of strings");
        std::vector<std::string> list;
        for (const json& name : value) {
            if (!name.is_string()) badKeyword(keyword, at, "an array of strings");
            list.push_back(name.get<std::string>());
        }
        return list;
    }

    std::vector<const SchemaNode*> schemaList(const json& value, const char* keyword,
                                              const SchemaNode& at) {
        if (!value.is_array() || value.empty())
            badKeyword(keyword, at, "a non-empty array of schemas");
        std::vector<const SchemaNode*> list;
        for (const json& item : value) list.push_back(subschema(keyword, item, at));
        return list;
    }

    static const json* memberOf(const json& object, const char* name) {
        const auto found = object.find(name);
        return found == object.end() ? nullptr : &*found;
    }

    // Checks are pushed in the order they are reported; subschemas are
    // created in keyword order, which fixes the order of compile errors.
    void compile(const json& value, SchemaNode& node) {
        if (value.is_boolean()) {
            if (!value.get<bool>()) node.checks.push_back(Check::False);
            return;
        }
        if (!value.is_object())
            fail("schema at " + node.label + " is neither an object nor a boolean");
        const auto ref = value.find("$ref");
        if (ref != value.end()) {
            if (!ref->is_string()) badKeyword("$ref", node, "a string");
            node.ref = nodeFor(resolve(ref->get<std::string>(), places.at(&value)));
            return;
        }
        compileAnnotations(value, node);
        compileValueChecks(value, node);
        compileLengthChecks(value, node);
        compileCountChecks(value, node);
        const bool dependentSchemas = compileDependencies(memberOf(value, "dependencies"), node);
        compileMembers(memberOf(value, "properties"), memberOf(value, "patternProperties"),
                       memberOf(value, "additionalProperties"), node);
        if (const json* propertyNames = memberOf(value, "propertyNames")) {
            node.propertyNames = subschema("propertyNames", *propertyNames, node);
            node.checks.push_back(Check::PropertyNames);
        }
        if (dependentSchemas) node.checks.push_back(Check::DependentSchemas);
        compileItems(memberOf(value, "items"), memberOf(value, "additionalItems"), node);
        if (const json* contains = memberOf(value, "contains")) {
            node.contains = subschema("contains", *contains, node);
            node.checks.push_back(Check::Contains);
        }
        compileCombinators(value, node);
    }

    // "type", "enum", "const", the bounds and "multipleOf".
    void compileValueChecks(const json& value, SchemaNode& node) {
        std::vector<Check>& checks = node.checks;
        if (const json* type = memberOf(value, "type")) {
            compileType(*type, node);
            checks.push_back(Check::Type);
        }
        if (const json* list = memberOf(value, "enum")) {
            if (!list->is_array()) badKeyword("enum", node, "an array");
            node.enumValues.assign(list->begin(), list->end());
            node.enumIntegers = integersOf(node.enumValues);
            checks.push_back(Check::Enum);
        }
        if (const json* fallback = memberOf(value, "default")) node.defaultValue = *fallback;
        if (const json* constant = memberOf(value, "const")) {
            node.constValue = *constant;
            checks.push_back(Check::Const);
        }
        const std::pair<const char*, std::pair<json SchemaNode::*, Check>> bounds[] = {
            {"maximum", {&SchemaNode::maximum, Check::Maximum}},
            {"minimum", {&SchemaNode::minimum, Check::Minimum}},
            {"exclusiveMaximum", {&SchemaNode::exclusiveMaximum, Check::ExclusiveMaximum}},
            {"exclusiveMinimum", {&SchemaNode::exclusiveMinimum, Check::ExclusiveMinimum}},
        };
        for (const auto& [name, slot] : bounds) {
            if (const json* limit = memberOf(value, name)) {
                if (!limit->is_number()) badKeyword(name, node, "a number");
                node.*(slot.first) = *limit;
                checks.push_back(slot.second);
            }
        }
        if (const json* divisor = memberOf(value, "multipleOf")) {
            if (!divisor->is_number() || compareNumbers(*divisor, json(0)) <= 0)
                badKeyword("multipleOf", node, "a number greater than 0");
            node.multipleOf = *divisor;
            checks.push_back(Check::MultipleOf);
        }
    }

    template <std::size_t N>
    void compileCounts(const json& value, SchemaNode& node, const CountKeyword (&keywords)[N]) {
        for (const CountKeyword& keyword : keywords) {
            if (const json* limit = memberOf(value, keyword.name)) {
                node.*(keyword.slot) = count(*limit, keyword.name, node);
                node.checks.push_back(keyword.check);
            }
        }
    }

    // The string keywords: "maxLength", "minLength" and "pattern".
    void compileLengthChecks(const json& value, SchemaNode& node) {
        compileCounts(value, node, kLengthKeywords);
        if (const json* text = memberOf(value, "pattern")) {
            if (!text->is_string()) badKeyword("pattern", node, "a string");
            node.pattern = pattern(text->get<std::string>(), node);
            node.checks.push_back(Check::Pattern);
        }
    }

    // Item and member counts, "uniqueItems" and "required".
    void compileCountChecks(const json& value, SchemaNode& node) {
        compileCounts(value, node, kItemCountKeywords);
        if (const json* unique = memberOf(value, "uniqueItems")) {
            if (!unique->is_boolean()) badKeyword("uniqueItems", node, "a boolean");
            if (unique->get<bool>()) node.checks.push_back(Check::UniqueItems);
        }
        compileCounts(value, node, kMemberCountKeywords);
        if (const json* list = memberOf(value, "required")) {
            node.required = names(*list, "required", node);
            if (!node.required.empty()) node.checks.push_back(Check::Required);
        }
    }

    // Returns whether any dependency is a schema: that check comes later.
    bool compileDependencies(const json* map, SchemaNode& node) {
        if (map == nullptr) return false;
        if (!map->is_object()) badKeyword("dependencies", node, "an object");
        bool dependentRequired = false;
        bool dependentSchemas = false;
        for (auto entry = map->begin(); entry != map->end(); ++entry) {
            Dependency dependency;
            dependency.member = entry.key();
            if (entry.value().is_array()) {
                dependency.required = names(entry.value(), "dependencies", node);
                dependentRequired = dependentRequired || !dependency.required.empty();
            } else {
                dependency.schema = subschema("dependencies", entry.value(), node);
                dependentSchemas = true;
            }
            node.dependencies.push_back(std::move(dependency));
        }
        if (dependentRequired) node.checks.push_back(Check::DependentRequired);
        return dependentSchemas;
    }

    // "allOf", "anyOf", "oneOf", "not" and "if"/"then"/"else".
    void compileCombinators(const json& value, SchemaNode& node) {
        const std::pair<const char*, std::pair<std::vector<const SchemaNode*> SchemaNode::*, Check>>
            lists[] = {
                {"allOf", {&SchemaNode::allOf, Check::AllOf}},
                {"anyOf", {&SchemaNode::anyOf, Check::AnyOf}},
                {"oneOf", {&SchemaNode::oneOf, Check::OneOf}},
            };
        for (const auto& [name, slot] : lists) {
            if (const json* list = memberOf(value, name)) {
                node.*(slot.first) = schemaList(*list, name, node);
                node.checks.push_back(slot.second);
            }
        }
        if (const json* negated = memberOf(value, "not")) {
            node.notSchema = subschema("not", *negated, node);
            node.checks.push_back(Check::Not);
        }
        const json* condition = memberOf(value, "if");
        const json* then = memberOf(value, "then");
        const json* otherwise = memberOf(value, "else");
        // "if" alone constrains nothing.
        if (condition == nullptr || (then == nullptr && otherwise == nullptr)) return;
        node.ifSchema = subschema("if", *condition, node);
        if (then != nullptr) node.thenSchema = subschema("then", *then, node);
        if (otherwise != nullptr) node.elseSchema = subschema("else", *otherwise, node);
        node.checks.push_back(Check::IfThenElse);
    }

    static void compileAnnotations(const json& value, SchemaNode& node) {
        const auto text = [&value](const char* name) {
            const auto found = value.find(name);
            return found != value.end() && found->is_string() ? found->get<std::string>()
                                                              : std::string();
        };
        node.title = text("title");
        node.description = text("description");
    }

    void compileType(const json& type, SchemaNode& node) {
        const auto bit = [&](const json& name) -> std::uint8_t {
            static const std::pair<const char*, std::uint8_t> kTypes[] = {
                {"null", kTypeNull},     {"boolean", kTypeBoolean}, {"object", kTypeObject},
                {"array", kTypeArray},   {"number", kTypeNumber},   {"integer", kTypeInteger},
                {"string", kTypeString},
            };
            if (name.is_string()) {
                for (const auto& [text, value] : kTypes)
                    if (name.get_ref<const std::string&>() == text) return value;
            }
            badKeyword("type", node, "a type name or an array of type names");
        };
        const json list = type.is_array() ? type : json::array({type});
        if (list.empty()) badKeyword("type", node, "a type name or an array of type names");
        for (const json& name : list) {
            node.types |= bit(name);
            if (!node.typeText.empty()) node.typeText += " or ";
            node.typeText += name.get<std::string>();
        }
    }

    void compileMembers(const json* properties, const json* patterns, const json* additional,
                        SchemaNode& node) {
        if (properties == nullptr && patterns == nullptr && additional == nullptr) return;
        if (properties != nullptr) {
            if (!properties->is_object()) badKeyword("properties", node, "an object");
            for (auto entry = properties->begin(); entry != properties->end(); ++entry)
                node.properties.emplace_back(entry.key(),
                                             subschema("properties", entry.value(), node));
        }
        if (patterns != nullptr) {
            if (!patterns->is_object()) badKeyword("patternProperties", node, "an object");
            for (auto entry = patterns->begin(); entry != patterns->end(); ++entry)
                node.patternProperties.emplace_back(
                    pattern(entry.key(), node),
                    subschema("patternProperties", entry.value(), node));
        }
        if (additional != nullptr)
            node.additionalProperties = subschema("additionalProperties", *additional, node);
        node.checks.push_back(Check::Members);
    }

    void compileItems(const json* items, const json* additional, SchemaNode& node) {
        if (items == nullptr) return;
        if (items->is_array()) {
            for (const json& item : *items) node.itemList.push_back(subschema("items", item, node));
            // Beside a list only: after a single schema there are no extra items.
            if (additional != nullptr)
                node.additionalItems = subschema("additionalItems", *additional, node);
        } else {
            node.items = subschema("items", *items, node);
        }
        node.checks.push_back(Check::Items);
    }

    // ---- whole-graph checks ----

    static std::vector<const SchemaNode*> sameValueEdges(const SchemaNode& node) {
        std::vector<const SchemaNode*> next;
        if (node.ref != nullptr) {
            next.push_back(node.ref);
            return next;
        }
        next.insert(next.end(), node.allOf.begin(), node.allOf.end());
        next.insert(next.end(), node.anyOf.begin(), node.anyOf.end());
        for (const auto* single : {node.ifSchema, node.thenSchema, node.elseSchema, node.notSchema})
            if (single != nullptr) next.push_back(single);
        next.insert(next.end(), node.oneOf.begin(), node.oneOf.end());
        for (const Dependency& dependency : node.dependencies)
            if (dependency.schema != nullptr) next.push_back(dependency.schema);
        return next;
    }

    static std::vector<const SchemaNode*> allEdges(const SchemaNode& node) {
        std::vector<const SchemaNode*> next = sameValueEdges(node);
        if (node.ref != nullptr) return next;
        for (const auto& [name, child] : node.properties) next.push_back(child);
        for (const auto& [check, child] : node.patternProperties) next.push_back(child);
        next.insert(next.end(), node.itemList.begin(), node.itemList.end());
        for (const auto* single : {node.additionalProperties, node.propertyNames, node.items,
                                   node.additionalItems, node.contains})
            if (single != nullptr) next.push_back(single);
        return next;
    }

    // A loop that never descends into the instance would evaluate forever.
    void checkCycles() {
        enum Colour { White, Grey, Black };
        std::map<const SchemaNode*, Colour> colour;
        for (const SchemaNode* start : order) {
            if (colour[start] != White) continue;
            std::vector<std::pair<const SchemaNode*, std::vector<const SchemaNode*>>> stack;
            stack.emplace_back(start, reversed(sameValueEdges(*start)));
            colour[start] = Grey;
            while (!stack.empty()) {
                auto& [node, next] = stack.back();
                if (next.empty()) {
                    colour[node] = Black;
                    stack.pop_back();
                    continue;
                }
                const SchemaNode* child = next.back();
                next.pop_back();
                if (colour[child] == Grey) reportCycle(stack, child);
                if (colour[child] == White) {
                    colour[child] = Grey;
                    stack.emplace_back(child, reversed(sameValueEdges(*child)));
                }
            }
        }
    }

    static std::vector<const SchemaNode*> reversed(std::vector<const SchemaNode*> list) {
        std::reverse(list.begin(), list.end());
        return list;
    }

    [[noreturn]] void reportCycle(
        const std::vector<std::pair<const SchemaNode*, std::vector<const SchemaNode*>>>& stack,
        const SchemaNode* repeated) {
        std::string text;
        bool inCycle = false;
        for (const auto& entry : stack) {
            inCycle = inCycle || entry.first == repeated;
            // Only references are named: they make the loop.
            if (inCycle && (entry.first->ref != nullptr || entry.first == repeated))
                text += entry.first->label + " -> ";
        }
        fail("schema $ref cycle: " + text + repeated->label);
    }

    void checkChainLength(const SchemaNode* root) {
        std::set<const SchemaNode*> expanded{root};
        std::vector<std::vector<const SchemaNode*>> pending{reversed(allEdges(*root))};
        while (!pending.empty()) {
            if (pending.back().empty()) {
                pending.pop_back();
                continue;
            }
            const SchemaNode* child = pending.back().back();
            pending.back().pop_back();
            if (!expanded.insert(child).second) continue;
            if (pending.size() > kMaxSchemaChain) {
                fail("schema chain deeper than " + std::to_string(kMaxSchemaChain) +
                     " subschemas at " + child->label);
            }
            pending.push_back(reversed(allEdges(*child)));
        }
    }

    static const SchemaNode* finalTarget(const SchemaNode* node) {
        while (node != nullptr && node->ref != nullptr) node = node->ref;
        return node;
    }

    void redirectReferences() {
        for (SchemaNode& node : out->nodes) {
            for (auto* list : {&node.allOf, &node.anyOf, &node.oneOf, &node.itemList})
                for (const SchemaNode*& child : *list) child = finalTarget(child);
            for (const SchemaNode** single :
                 {&node.notSchema, &node.ifSchema, &node.thenSchema, &node.elseSchema,
                  &node.propertyNames, &node.additionalProperties, &node.items,
                  &node.additionalItems, &node.contains})
                *single = finalTarget(*single);
            for (Dependency& dependency : node.dependencies)
                dependency.schema = finalTarget(dependency.schema);
            for (auto& entry : node.properties) entry.second = finalTarget(entry.second);
            for (auto& entry : node.patternProperties) entry.second = finalTarget(entry.second);
        }
    }

    const SchemaDocumentSource& source;
    WorkBudget work{kCompileWork, nullptr};
    std::shared_ptr<CompiledSchema> out;
    std::vector<std::shared_ptr<const json>> docs;
    std::vector<std::string> docUris;
    std::map<const json*, std::size_t> docByIdentity;
    std::map<std::string, const json*> resources;  // absolute location -> value
    std::map<std::string, const json*> anchors;    // location "#" plain name -> value
    std::map<const json*, Place> places;
    std::map<const json*, SchemaNode*> nodes;
    std::vector<const SchemaNode*> order;  // creation order
    std::vector<std::pair<const json*, SchemaNode*>> worklist;
    std::map<std::string, std::shared_ptr<const re2::RE2>> regexes;
};

}  // namespace

std::size_t regexCost(const re2::RE2& regex) {
    return static_cast<std::size_t>(std::max(1, regex.ProgramSize()));
}

SchemaCompilation compileSchema(std::shared_ptr<const json> root, const std::string& retrievalUri,
                                const SchemaDocumentSource& source) {
    SchemaCompilation compilation;
    if (!root) {
        compilation.error = "no schema document";
        return compilation;
    }
    try {
        compilation.schema = Compiler(source).run(std::move(root), retrievalUri);
    } catch (const std::exception& error) {
        compilation.error = error.what();
    } catch (const WorkExhausted&) {
        compilation.error = "the schema needs too much work to compile: compiling stopped after " +
                            std::to_string(kCompileWork) + " steps";
    }
    return compilation;
}

}  // namespace OrvexConfigValidate
