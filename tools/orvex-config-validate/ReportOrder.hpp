// The order in which the report formats list diagnostics.
#pragma once

#include <vector>

#include "Report.hpp"

namespace OrvexConfigValidate::Tool {

// By file name, then line and column; diagnostics without a position come
// first in their file, and equal places keep the order they were found in.
std::vector<const Diagnostic*> diagnosticsInFileOrder(const Report& report);

}  // namespace OrvexConfigValidate::Tool
