// What the tool found, and its text and JSON renderings.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Output.hpp"

namespace OrvexConfigValidate::Tool {

// 1-based; the column counts bytes. A UTF-8 byte-order mark is not part of
// the first line, as editors do not show it.
struct TextPosition {
    std::size_t line = 1;
    std::size_t column = 1;
    // The column counted in Unicode code points, when the text was kept to
    // count them (see CheckOptions::countCharacters); 0 when not counted.
    std::size_t characterColumn = 0;
};

inline bool operator==(const TextPosition& a, const TextPosition& b) {
    return a.line == b.line && a.column == b.column;
}

struct FileEntry {
    std::string name;
    std::string schemaId;
    bool ok = true;
    bool unreadable = false;  // could not be read or is not one JSON document
    // Issues past the bound of a file's diagnostics (--max-issues): counted
    // in the summary and the verdict, not listed.
    IssueCounts notShown{};
    // The other file of the deployment a lone FILE was judged with: the
    // server file that names this bridges file, or the bridges file this
    // server file names.
    std::string checkedWith{};
};

// One replacement of a fix: the text between two places becomes `text`.
struct FixReplacement {
    TextPosition start;
    TextPosition end;
    std::string text;
};

struct DiagnosticFix {
    std::string title;
    std::vector<FixReplacement> replacements;
};

struct Diagnostic {
    std::size_t file = 0;  // index into Report::files
    Severity severity = Severity::Error;
    std::string path;  // JSON pointer in that file, "/" for the whole file; "" when none
    std::string code;
    std::string message;
    std::optional<TextPosition> position;
    // Later fields have initializers, so that brace-initialising only the
    // fields above stays warning-free.
    std::string hint{};                                  // a suggestion, or empty
    std::optional<TextPosition> related = std::nullopt;  // e.g. the first of a duplicated member
    // Filled when the texts are kept to count code points (SARIF).
    std::vector<DiagnosticFix> fixes{};
};

// Diagnostics are kept sorted by file, line and column (stable).
struct Report {
    std::vector<FileEntry> files;
    std::vector<Diagnostic> diagnostics;
    // Deployments found under directory arguments; unset when none was given.
    std::optional<std::size_t> deployments;
    // Fixes that --fix wrote before the check; unset without --fix.
    std::optional<std::size_t> fixesApplied;
};

// 0 every file ok, 1 some file not ok, 2 some input unreadable.
int exitStatus(const Report& report);

// "2 files checked: 1 error, 0 warnings, 0 notes", led by the number of
// deployments when directories were searched and followed by the issues not
// listed ("; 764750 issues not shown") and the fixes applied under --fix
// ("; 2 fixes applied"); ends with a newline.
std::string summaryLine(const Report& report);

// Every issue of the report, listed or not.
IssueCounts countIssues(const Report& report);

// "FILE: 764750 more issues not shown; --max-issues 0 shows all", without a
// line break: what every format says of a file whose issues were cut.
std::string notShownText(const Report& report, std::size_t file);

// "FILE: checked with the server file SERVER, which names it" (or, for a
// server file, "SERVER: checked with the bridges file FILE, which it
// names"), without a line break: what every format says of a file that
// checkedWith names a partner for.
std::string checkedWithText(const Report& report, std::size_t file);

// "error", "warning", or the given word for the lowest level: compilers and
// SARIF call it a "note", GitHub a "notice", the JSON report "info".
const char* severityName(Severity severity, const char* infoName);

// Orders diagnostics by file, then line and column; those without a
// position come first in their file. Equal places keep their order.
void sortDiagnostics(Report& report);

// The diagnostics of each file, in report order.
std::vector<std::vector<const Diagnostic*>> diagnosticsByFile(const Report& report);

// One line per diagnostic, a line per file whose issues were cut
// (notShownText), then a summary line; ANSI colours when asked. Text from
// the files and their names is escaped (see printable()).
void writeText(const Report& report, bool colour, OutputSink& out);
std::string formatText(const Report& report, bool colour);
// The same without the summary line.
void writeIssueLines(const Report& report, bool colour, OutputSink& out);

// Drops the diagnostics that do not make their file fail (-q).
void keepFailing(Report& report, const ValidateOptions& options);

// The JSON report, indented by 2 and ending in a newline: per file its
// issues and, when some were cut, "notShown"; then the counts. Text from the
// files and their names is escaped as in the text report (see printable()):
// control characters, U+FFFE/U+FFFF and bytes that are not UTF-8 (as
// "\xff", so file names stay told apart) never reach it raw.
void writeJson(const Report& report, OutputSink& out);
std::string formatJsonText(const Report& report);

}  // namespace OrvexConfigValidate::Tool
