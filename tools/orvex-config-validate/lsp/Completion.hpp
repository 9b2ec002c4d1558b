// Completion of group ids inside a bridge's "groups" array.
#pragma once

#include <cstddef>
#include <string>

#include <nlohmann/json.hpp>

#include "Documents.hpp"
#include "TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {

// The completion items at the offset: the ids the groups define, read from
// the document's last text that parsed (the one being typed rarely does).
// An empty array anywhere else.
nlohmann::json completionAt(const std::string& schemaId, const Document& document,
                            const TextPositions& positions, std::size_t offset);

}  // namespace OrvexConfigValidate::Lsp
