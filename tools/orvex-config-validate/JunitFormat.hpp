// JUnit XML for CI test-report viewers.
#pragma once

#include <string>
#include <string_view>

#include "Report.hpp"

namespace OrvexConfigValidate::Tool {

// Text as XML 1.0 character data or attribute value: markup characters
// become entities, characters that XML 1.0 cannot carry at all (most
// control characters, U+FFFE, U+FFFF, bytes that are not UTF-8) become
// "\u001b", "\ufffe" or "\xff";
// in attributes tab, CR and LF are written as character references so that
// they survive attribute normalisation.
std::string escapeXml(std::string_view text, bool attribute);

// One test suite, one test case per checked file: a file that is not ok has
// a <failure>, one that could not be read or parsed an <error>, each
// listing the file's issues (and how many were not shown, when they were
// cut); a passing file's notes go to <system-out>.
void writeJunit(const Report& report, OutputSink& out);
std::string formatJunit(const Report& report);

}  // namespace OrvexConfigValidate::Tool
