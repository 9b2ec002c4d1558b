// --fix and --diff as the command runs them, before the check that reports
// what remains.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Arguments.hpp"
#include "Check.hpp"
#include "Deployments.hpp"

namespace OrvexConfigValidate::Tool {

// A refusal of --fix or --diff, apart from usage errors and check results.
constexpr int kFixRefusedStatus = 3;

struct FixOutcome {
    // Some file was refused (before the check: standard input, a file that
    // is not regular, for --diff one outside the working directory; or one
    // --fix may not replace): the run ends with kFixRefusedStatus and --fix
    // has written nothing.
    bool refused = false;
    std::size_t applied = 0;
    std::string diff;                 // --diff: the diff of every fixed file
    std::vector<std::string> errors;  // one per refused file, for the program to print
};

// Nothing unless the command line asks for --fix or --diff.
FixOutcome runFixes(const CommandLine& line, const InputPlan& plan, const CheckOptions& options);

}  // namespace OrvexConfigValidate::Tool
