// Freeing a document without asking for memory.
#pragma once

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

// Destroys the value's children and leaves it null. nlohmann's own
// destructor first moves every child of a container into a new vector: for a
// large document that is a large allocation, and when it fails (the document
// is being freed because memory ran out) the destructor, being noexcept,
// ends the program. This walks the tree instead, with a fixed stack for the
// first levels; only a subtree deeper than that is left to nlohmann.
void releaseValue(nlohmann::json& value) noexcept;

}  // namespace OrvexConfigValidate
