// Reference resolution ahead of the validator dependency: the root schema and
// every document that its references reach become one document in which each
// "$ref" is a JSON pointer into that document.
#pragma once

#include <cstddef>
#include <string>

#include <nlohmann/json.hpp>

#include "baseline/SchemaRefLoader.hpp"
#include "engine/SchemaLimits.hpp"

namespace OrvexConfigValidate::baseline {

// The bundled form {"$ref": "#/d/0", "d": [root, referenced documents...]}.
// `retrievalUri` is the base of a root without "$id". References follow
// draft-07: "$id" sets the base, plain-name fragments and JSON pointers are
// resolved here, and only a document that nothing loaded so far names is
// asked of the loader (with its absolute location, then " # ").
//
// Throws std::invalid_argument when a reference cannot be resolved, when a
// chain of references comes back to itself without descending into the
// instance, and when a document exceeds the limits of SchemaLimits.hpp.
nlohmann::json bundleSchema(nlohmann::json root, const std::string& retrievalUri,
                            const SchemaLoader& loader);

}  // namespace OrvexConfigValidate::baseline
