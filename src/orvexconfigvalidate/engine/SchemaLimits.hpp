// Fixed limits on what one schema may ask of the compiler.
#pragma once

#include <cstddef>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

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

}  // namespace OrvexConfigValidate
