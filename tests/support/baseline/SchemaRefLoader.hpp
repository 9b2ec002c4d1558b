#pragma once

#include <functional>
#include <string>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate::baseline {

class SchemaEngine;

// Fills the document that a reference text names, or throws.
using SchemaLoader = std::function<void(const std::string& referenceText, nlohmann::json& out)>;

// A loader answering every reference from the engine's documents; it throws
// std::invalid_argument "cannot resolve schema $ref: <text>" for a reference
// that names no registered schema. The engine must outlive it.
SchemaLoader schemaRefLoader(const SchemaEngine& engine);

}  // namespace OrvexConfigValidate::baseline
