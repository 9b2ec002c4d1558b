// The compiled form of a schema: one node per subschema, each a list of
// keyword checks in the order they are reported. Shared by the compiler and
// the evaluator only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/CompiledSchema.hpp"

namespace re2 {
class RE2;
}

namespace OrvexConfigValidate {

enum class Check : std::uint8_t {
    False,  // the schema false
    Type,
    Enum,
    Const,
    Maximum,
    Minimum,
    ExclusiveMaximum,
    ExclusiveMinimum,
    MultipleOf,
    MaxLength,
    MinLength,
    Pattern,
    MaxItems,
    MinItems,
    UniqueItems,
    MaxProperties,
    MinProperties,
    Required,
    DependentRequired,
    // Checks below evaluate subschemas.
    AllOf,
    AnyOf,
    OneOf,
    Not,
    IfThenElse,
    DependentSchemas,
    PropertyNames,
    Members,  // properties, patternProperties, additionalProperties
    Items,    // items, additionalItems
    Contains,
};

// Bits of the "type" keyword.
enum TypeBit : std::uint8_t {
    kTypeNull = 1,
    kTypeBoolean = 2,
    kTypeObject = 4,
    kTypeArray = 8,
    kTypeNumber = 16,
    kTypeInteger = 32,
    kTypeString = 64,
};

struct SchemaNode;

struct PatternCheck {
    std::string text;  // as the schema wrote it
    std::shared_ptr<const re2::RE2> regex;
    // Work units per byte searched, at worst (see regexCost).
    std::size_t cost = 1;
};

// What searching one byte may cost with this regex: RE2 runs a DFA in a
// few nanoseconds per byte, but falls back to simulating the program, at
// about ten nanoseconds per instruction per byte, when the DFA's states
// outgrow its memory. Searches are charged this bound before they run.
std::size_t regexCost(const re2::RE2& regex);

struct Dependency {
    std::string member;
    std::vector<std::string> required;   // the array form
    const SchemaNode* schema = nullptr;  // the schema form
};

// NOLINTNEXTLINE(bugprone-exception-escape): only json's own noexcept destructor can throw
struct SchemaNode {
    std::vector<Check> checks;
    // Where the subschema sits, for compile errors: "#/definitions/a" or
    // "<uri>#/..." outside the root document.
    std::string label;
    // Set while compiling for a "$ref"; every use is redirected to the
    // target once compiling ends.
    const SchemaNode* ref = nullptr;

    // Annotations, for an editor's help; they judge nothing.
    std::string title;
    std::string description;

    std::uint8_t types = 0;
    std::string typeText;  // "integer", "string or null"
    std::vector<nlohmann::json> enumValues;
    // The same when every one is an integer of 64 bits, in their order, so
    // that an integer is looked up without comparing JSON values; empty
    // otherwise.
    std::vector<std::int64_t> enumIntegers;
    nlohmann::json constValue;
    // "default" is no check; it is kept for filling in a missing member.
    std::optional<nlohmann::json> defaultValue;
    nlohmann::json maximum, minimum, exclusiveMaximum, exclusiveMinimum, multipleOf;
    std::uint64_t maxLength = 0, minLength = 0, maxItems = 0, minItems = 0;
    std::uint64_t maxProperties = 0, minProperties = 0;
    PatternCheck pattern;
    std::vector<std::string> required;

    std::vector<const SchemaNode*> allOf, anyOf, oneOf;
    const SchemaNode* notSchema = nullptr;
    const SchemaNode* ifSchema = nullptr;
    const SchemaNode* thenSchema = nullptr;
    const SchemaNode* elseSchema = nullptr;
    std::vector<Dependency> dependencies;
    const SchemaNode* propertyNames = nullptr;

    // Sorted by name, as the members of a document object are.
    std::vector<std::pair<std::string, const SchemaNode*>> properties;
    std::vector<std::pair<PatternCheck, const SchemaNode*>> patternProperties;
    const SchemaNode* additionalProperties = nullptr;

    const SchemaNode* items = nullptr;        // one schema for every item
    std::vector<const SchemaNode*> itemList;  // "items" as an array
    const SchemaNode* additionalItems = nullptr;
    const SchemaNode* contains = nullptr;

    bool namesMembers() const { return !properties.empty() || !patternProperties.empty(); }
};

class CompiledSchema {
  public:
    const SchemaNode* root = nullptr;
    std::size_t size() const { return nodes.size(); }
    // Nodes keep their addresses: children point at each other.
    std::deque<SchemaNode> nodes;
};

}  // namespace OrvexConfigValidate
