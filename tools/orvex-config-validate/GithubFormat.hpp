// GitHub Actions workflow commands: one annotation per diagnostic.
#pragma once

#include <string>
#include <string_view>

#include <orvexconfigvalidate/Escape.hpp>

#include "Report.hpp"

namespace OrvexConfigValidate::Tool {

// "::error file=F,line=L,col=C,title=CODE::MESSAGE" (::warning, ::notice)
// per diagnostic, in file order, a notice per file whose issues were cut,
// then the summary as a plain line.
void writeGithub(const Report& report, OutputSink& out);
std::string formatGithub(const Report& report);

}  // namespace OrvexConfigValidate::Tool
