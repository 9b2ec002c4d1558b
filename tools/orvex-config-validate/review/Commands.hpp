// The subcommands, each given its whole argument list (args[0] its name).
#pragma once

#include <string>
#include <vector>

#include "review/Subcommand.hpp"

namespace OrvexConfigValidate::Tool {

// fmt [--check|--diff] [--schema ID] [--max-size N] FILE...
CommandResult runFormat(const std::vector<std::string>& args);

// compare [--format text|json|markdown|patch] [--fail-on-new SEVERITY] OLD NEW
CommandResult runCompare(const std::vector<std::string>& args);

// effective [--format text|json] PATH
CommandResult runEffective(const std::vector<std::string>& args);

// graph [--format dot|mermaid|json] [--impact GROUPID] PATH
CommandResult runGraph(const std::vector<std::string>& args);

}  // namespace OrvexConfigValidate::Tool
