// Bridge phase of the rule pass: enabled bridges without groups, and group
// references that no group object defines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// "/bridges/bridges/<index>", plus " (id=<id>)" for a non-empty id.
std::string makeBridgePath(std::uint64_t index, std::string_view id);

// Checks every enabled bridge against the groups the configuration defines;
// `strict` adds suggestions for unresolved references.
void checkBridges(const Configuration& configuration, ValidationResult& result, bool strict);

}  // namespace OrvexConfigValidate
