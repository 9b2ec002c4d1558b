// Where the rule pass finds its groups and bridges in the validated document,
// so that each issue can name its real place (Issue::pointer), and what the
// caller asked for beyond the verdict.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace OrvexConfigValidate {

struct RuleContext {
    // Pointer of the "groups" array; ignored when singleGroup is set.
    std::string_view groupsPointer = "/groups";
    // The validated document is the one group itself (pointer "").
    bool singleGroup = false;
    // Pointer of the "bridges" array.
    std::string_view bridgesPointer = "/bridges";
    // Suggest close names for unresolved references.
    bool strict = false;

    std::string groupPointer(std::uint64_t index) const {
        if (singleGroup) return {};
        return std::string(groupsPointer) + "/" + std::to_string(index);
    }
    std::string bridgePointer(std::uint64_t index) const {
        return std::string(bridgesPointer) + "/" + std::to_string(index);
    }
};

}  // namespace OrvexConfigValidate
