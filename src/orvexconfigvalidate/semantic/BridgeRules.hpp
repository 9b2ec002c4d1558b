// Bridge phase of the rule pass: enabled bridges without groups, and group
// references that no group object defines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "semantic/GroupIdIndex.hpp"
#include "semantic/RuleContext.hpp"

namespace OrvexConfigValidate {

// "/bridges/bridges/<index>", plus " (id=<id>)" for a non-empty id.
std::string makeBridgePath(std::uint64_t index, std::string_view id);

// Checks every enabled bridge of the document's "bridges" against the group
// ids that the group phase found.
void checkBridges(const nlohmann::json& bridgingDocument, const GroupIdIndex& groupIds,
                  ValidationResult& result, const RuleContext& context);

}  // namespace OrvexConfigValidate
