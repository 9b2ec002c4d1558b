// The project file on the command line: `accept` and `prune-accepted`, which
// check the files as a check does and then write the project file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Project.hpp>

#include "Arguments.hpp"

namespace OrvexConfigValidate::Tool {

enum class ProjectAction { None, Accept, Prune };

struct ProjectCommand {
    ProjectAction action = ProjectAction::None;
    std::string reason;                  // accept --reason
    std::string expires;                 // accept --expires
    std::vector<std::string> checkArgs;  // the rest, read as a check's
    std::string error;                   // a usage error
};

// The command of args when its first word is accept or prune-accepted;
// action None otherwise.
ProjectCommand readProjectCommand(const std::vector<std::string>& args);

// --today, or the day it is now in UTC; "" with a usage error when --today
// is not a day.
std::string todayOf(const CommandLine& line, std::string& error);

// Writes the project files after the check; the status to end with and what
// to say on standard error.
int finishProjectCommand(const ProjectCommand& command, const ProjectRun& projects,
                         const std::string& given, std::string& message);

}  // namespace OrvexConfigValidate::Tool
