// JUnit XML for CI test-report viewers.
#pragma once

#include <string>
#include <string_view>

#include <orvexconfigvalidate/Escape.hpp>

#include "Report.hpp"

namespace OrvexConfigValidate::Tool {

// One test suite, one test case per checked file: a file that is not ok has
// a <failure>, one that could not be read or parsed an <error>, each
// listing the file's issues (and how many were not shown, when they were
// cut); a passing file's notes go to <system-out>.
void writeJunit(const Report& report, OutputSink& out);
std::string formatJunit(const Report& report);

}  // namespace OrvexConfigValidate::Tool
