// Group phase of the rule pass: duplicate ids, group type and output mode
// against the server mode, and groups without networking.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate {

// "/bridges/groups/<index>", plus " (id=<id>)" for a non-empty id.
std::string makeGroupPath(std::uint64_t index, std::string_view id);

// Adds "group_no_networking" when the group has no usable networking member;
// the pointer is `pointer`.
void checkGroupNetworking(const nlohmann::json& group, std::uint64_t index,
                          ValidationResult& result, const std::string& pointer = "");

// Runs the group rules over every group object under the server mode.
void checkGroups(const Configuration& configuration, ValidationResult& result);

}  // namespace OrvexConfigValidate
