// Completion driven by the schema at the cursor and by the group ids the
// document defines.
#pragma once

#include <cstddef>
#include <string>

#include <nlohmann/json.hpp>

#include "Features.hpp"

namespace OrvexConfigValidate::Lsp {

// At most this many group ids per answer; the answer then says it is
// incomplete, and the editor asks again as more is typed.
inline constexpr std::size_t kMaxGroupIdItems = 200;

// A CompletionList. Read from the text up to the cursor and from the
// document's last text that parsed (the one being typed rarely does):
// member names not yet present (required ones first), enum values,
// true/false, and the group ids in a bridge's "groups" that start with
// what is typed.
nlohmann::json completion(const FeatureContext& context);

}  // namespace OrvexConfigValidate::Lsp
