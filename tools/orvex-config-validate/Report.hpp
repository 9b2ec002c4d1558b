// What the tool found (the library's Report), and its text and JSON renderings.
#pragma once

#include <cstddef>
#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>
#include <orvexconfigvalidate/Report.hpp>

#include "Output.hpp"

namespace OrvexConfigValidate::Tool {

// 0 every file ok, 1 some file not ok, 2 some input unreadable.
int exitStatus(const Report& report);

// "2 files checked: 1 error, 0 warnings, 0 notes", led by the number of
// deployments when directories were searched and followed by the issues not
// listed ("; 764750 issues not shown") and the fixes applied under --fix
// ("; 2 fixes applied"); ends with a newline.
std::string summaryLine(const Report& report);

// "FILE: 764750 more issues not shown; --max-issues 0 shows all", without a
// line break: what every format says of a file whose issues were cut.
std::string notShownText(const Report& report, std::size_t file);

// "FILE: checked with the server file SERVER, which names it" (or, for a
// server file, "SERVER: checked with the bridges file FILE, which it
// names"), without a line break: what every format says of a file that
// checkedWith names a partner for.
std::string checkedWithText(const Report& report, std::size_t file);

// One line per diagnostic, a line per file whose issues were cut
// (notShownText), then a summary line; ANSI colours when asked. Text from
// the files and their names is escaped (see printable()).
void writeText(const Report& report, bool colour, OutputSink& out);
std::string formatText(const Report& report, bool colour);
// The same without the summary line.
void writeIssueLines(const Report& report, bool colour, OutputSink& out);

// Drops the diagnostics that do not make their file fail (-q).
void keepFailing(Report& report, const ValidateOptions& options);

// The library's JSON report (writeJsonReport), into the sink.
void writeJson(const Report& report, OutputSink& out);
std::string formatJsonText(const Report& report);

}  // namespace OrvexConfigValidate::Tool
