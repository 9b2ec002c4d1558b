// Runs the planned validations and locates every issue in its file.
#pragma once

#include <istream>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Arguments.hpp"
#include "Report.hpp"

namespace OrvexConfigValidate::Tool {

// Every unit is checked, also after one whose input cannot be read. When one
// file of a pair cannot be read, the other is checked on its own.
Report runChecks(const std::vector<CheckUnit>& units, const ValidateOptions& options,
                 std::istream& standardInput);

}  // namespace OrvexConfigValidate::Tool
