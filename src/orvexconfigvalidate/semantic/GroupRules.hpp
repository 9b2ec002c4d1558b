// Group phase of the rule pass: duplicate ids, group type and output mode
// against the server mode, and groups without networking.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/JsonView.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// "/bridges/groups/<index>", plus " (id=<id>)" for a non-empty id.
std::string makeGroupPath(std::uint64_t index, std::string_view id);

// Adds "group_no_networking" when the group has no usable networking member;
// the pointer is `pointer`.
void checkGroupNetworking(JsonView group, std::uint64_t index, ValidationResult& result,
                          const std::string& pointer = "");

// What a forcing server mode makes of every group at run time.
struct ForcedGroupSettings {
    const char* code;   // the issue that says so
    std::int32_t mode;  // the server mode
    std::optional<std::int32_t> type;
    std::int32_t outputMode;
};

// The settings forced along with the issue code, or null for a code that
// forces nothing.
const ForcedGroupSettings* forcedGroupSettings(std::string_view code);

// Runs the group rules over every group object under the server mode.
void checkGroups(const Configuration& configuration, ValidationResult& result);

}  // namespace OrvexConfigValidate
