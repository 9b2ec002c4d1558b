// The subcommands (compare, graph, fmt, effective): the first argument
// names one. Each returns what to write and the status to end with, so that
// the program's main only dispatches and writes.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace OrvexConfigValidate::Tool {

struct CommandResult {
    int status = 0;
    std::string out;  // standard output
    std::string err;  // standard error, whole lines
};

// Statuses shared by the subcommands, apart from the check's.
constexpr int kUsageStatus = 2;
constexpr int kRefusedStatus = 3;

// Nothing when args[0] names no subcommand (a file named "compare" is
// still checked as "./compare").
std::optional<CommandResult> runSubcommand(const std::vector<std::string>& args);

// A usage error of a subcommand, with the program's wording.
CommandResult usageFailure(const std::string& message);

// Arguments after the subcommand: options (with values) and operands.
struct SubcommandArguments {
    std::vector<std::pair<std::string, std::string>> options;  // "--format", "dot"
    std::vector<std::string> operands;
    std::string error;
};
// Reads the options args[0] takes in the table of options ("--format dot"
// or "--format=dot"), each under its current name, a word value as its
// current word; anything else starting with "-" is an error.
SubcommandArguments splitArguments(const std::vector<std::string>& args);

}  // namespace OrvexConfigValidate::Tool
