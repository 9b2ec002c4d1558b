// The subcommands, each given its whole argument list (args[0] its name).
#pragma once

#include <string>
#include <vector>

#include "review/Subcommand.hpp"

namespace OrvexConfigValidate::Tool {

// fmt [--check|--diff] [--schema ID] [--max-size N] FILE...
CommandResult runFormat(const std::vector<std::string>& args);

}  // namespace OrvexConfigValidate::Tool
