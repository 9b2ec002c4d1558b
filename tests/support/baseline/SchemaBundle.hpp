// Reference resolution ahead of the validator dependency: the root schema and
// every document that its references reach become one document in which each
// "$ref" is a JSON pointer into that document.
#pragma once

#include <cstddef>
#include <string>

#include <nlohmann/json.hpp>

#include "baseline/SchemaRefLoader.hpp"

namespace OrvexConfigValidate::baseline {

// Deepest nesting of arrays and objects accepted in one schema document.
constexpr std::size_t kMaxSchemaNesting = 200;
// Longest chain of subschemas, across references, that compiling may walk.
constexpr std::size_t kMaxSchemaChain = 1000;
// Longest "pattern" or "patternProperties" key accepted.
constexpr std::size_t kMaxPatternLength = 1000;

// A document stands for one that cannot be used when it is an object with
// this member: its text says why. The engine stores such a stand-in for a
// file too deeply nested to copy safely.
constexpr const char* kUnusableSchemaMember = "$orvex:unusable";

// Nesting depth of a value, without recursion: a scalar is 0, [] is 1.
std::size_t jsonNestingDepth(const nlohmann::json& value);

// The bundled form {"$ref": "#/d/0", "d": [root, referenced documents...]}.
// `retrievalUri` is the base of a root without "$id". References follow
// draft-07: "$id" sets the base, plain-name fragments and JSON pointers are
// resolved here, and only a document that nothing loaded so far names is
// asked of the loader (with its absolute location, then " # ").
//
// Throws std::invalid_argument when a reference cannot be resolved, when a
// chain of references comes back to itself without descending into the
// instance, and when a document exceeds the limits above.
nlohmann::json bundleSchema(nlohmann::json root, const std::string& retrievalUri,
                            const SchemaLoader& loader);

}  // namespace OrvexConfigValidate::baseline
