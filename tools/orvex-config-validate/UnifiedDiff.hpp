// A unified diff of a text and the text some edits make of it, as
// `git apply` and `patch -p1` take it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate::Tool {

// The diff of one file ("" when there are no edits), named a/<path> and
// b/<path> as git writes names (C-quoted when a byte needs it, so no name
// can end its header line). Edits are sorted and do not overlap. Lines end at "\n", as
// diff tools count them; three lines of context.
std::string unifiedDiff(std::string_view text, const std::vector<TextEdit>& edits,
                        const std::string& path);

}  // namespace OrvexConfigValidate::Tool
