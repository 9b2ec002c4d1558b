// GitHub Actions workflow commands: one annotation per diagnostic.
#pragma once

#include <string>
#include <string_view>

#include "Report.hpp"

namespace OrvexConfigValidate::Tool {

// "%", CR and LF of a command's message.
std::string escapeWorkflowData(std::string_view text);
// The same, and also ":" and "," of a command's property value.
std::string escapeWorkflowProperty(std::string_view text);

// "::error file=F,line=L,col=C,title=CODE::MESSAGE" (::warning, ::notice)
// per diagnostic, in file order, a notice per file whose issues were cut,
// then the summary as a plain line.
void writeGithub(const Report& report, OutputSink& out);
std::string formatGithub(const Report& report);

}  // namespace OrvexConfigValidate::Tool
