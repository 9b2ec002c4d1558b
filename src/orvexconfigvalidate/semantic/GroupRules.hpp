// Group phase of the rule pass: duplicate ids, group type and output mode
// against the server mode, and groups without networking.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "semantic/GroupIdIndex.hpp"
#include "semantic/RuleContext.hpp"

namespace OrvexConfigValidate {

// The group elements a pass walks, without copying them: the elements of a
// "groups" array, or a lone group document as the only element.
struct GroupSpan {
    const nlohmann::json* first = nullptr;
    std::size_t count = 0;

    static GroupSpan ofArray(const nlohmann::json& array);  // `array` must be an array
    static GroupSpan ofSingle(const nlohmann::json& group) { return GroupSpan{&group, 1}; }
};

// "/bridges/groups/<index>", plus " (id=<id>)" for a non-empty id.
std::string makeGroupPath(std::uint64_t index, std::string_view id);

// Adds "group_no_networking" when the group has no usable networking member.
void checkGroupNetworking(const nlohmann::json& group, std::uint64_t index,
                          ValidationResult& result, const RuleContext& context = RuleContext{});

// Runs the group rules over every group object under the server mode and
// returns the ids seen, for the bridge phase.
GroupIdIndex checkGroups(std::int32_t mode, GroupSpan groups, ValidationResult& result,
                         const RuleContext& context);

}  // namespace OrvexConfigValidate
