// --explain CODE: what an issue code means, for the operator at the terminal.
#pragma once

#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate::Tool {

// The code, its severity and summary, then what it means, why it matters and how to
// fix it, each wrapped to 80 columns.
std::string explainText(const IssueCodeInfo& info);

// "a, b, c": every code of the table, for a usage error.
std::string knownIssueCodes();

}  // namespace OrvexConfigValidate::Tool
