// A report of checked files: their issues placed at line and column, made
// safe for any reader, and the JSON report that every front end writes the
// same way (the command-line tool, the WebAssembly module).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Escape.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// 1-based; the column counts bytes. A UTF-8 byte-order mark is not part of
// the first line, as editors do not show it.
struct TextPosition {
    std::size_t line = 1;
    std::size_t column = 1;
    // The column counted in Unicode code points, when the text was kept to
    // count them; 0 when not counted.
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
    // What the issue is about (Issue::identity), for fingerprints; "" when
    // no project judged it.
    std::string identity{};
    // Listed only when accepted issues are asked for: the project's entry
    // accepted it, for this reason. It counts neither in the verdict nor in
    // the issue counts.
    bool accepted = false;
    std::string acceptedReason{};
};

// Diagnostics are kept sorted by file, line and column (stable).
struct Report {
    std::vector<FileEntry> files;
    std::vector<Diagnostic> diagnostics;
    // Deployments found under directory arguments; unset when none was given.
    std::optional<std::size_t> deployments;
    // Fixes that --fix wrote before the check; unset without --fix.
    std::optional<std::size_t> fixesApplied;
    // Issues a project file accepted (listed or not).
    std::size_t accepted = 0;
};

// Adds the diagnostic; its file fails when its severity fails the verdict.
void addDiagnostic(Report& report, Diagnostic diagnostic, const ValidateOptions& options);

// The issues of one validation as diagnostics of the report's files:
// entries[source] is the file of each source of the result. A file whose
// text is given (by source; an empty view where none is) also gets
// code-point columns and the issues' fixes placed. At most maxIssues
// diagnostics of a file are listed (0: all); the others are counted in its
// FileEntry::notShown, and every issue counts for the verdict.
void addIssues(Report& report, const ValidationResult& result,
               const std::vector<std::size_t>& entries, const std::vector<std::string_view>& texts,
               std::size_t maxIssues, const ValidateOptions& options);

// Issues that a project accepted, listed as accepted diagnostics of the
// entries' files (entries[source]); the verdict and the counts leave them
// out.
void addAcceptedIssues(Report& report, const std::vector<Issue>& issues,
                       const std::vector<std::string>& reasons,
                       const std::vector<std::size_t>& entries);

// A fingerprint of what a diagnostic is about, 32 hex digits: of its
// identity, so that it stays when groups are reordered or lines move; of
// its code, file and pointer when it has none.
std::string fingerprintOf(const Report& report, const Diagnostic& diagnostic);

// The GitLab Code Quality report: a JSON array of the issues (accepted ones
// left out), each with its description, check name, fingerprint, severity
// and place.
void writeGitlabReport(const Report& report, const std::function<void(std::string_view)>& out);

// Every issue of the report, listed or not; accepted ones are not issues.
IssueCounts countIssues(const Report& report);

// "error", "warning", or the given word for the lowest level: compilers and
// SARIF call it a "note", GitHub a "notice", the JSON report "info".
const char* severityName(Severity severity, const char* infoName);

// Orders diagnostics by file, then line and column; those without a
// position come first in their file. Equal places keep their order.
void sortDiagnostics(Report& report);

// The diagnostics of each file, in report order.
std::vector<std::vector<const Diagnostic*>> diagnosticsByFile(const Report& report);

// The JSON report, indented by 2 and ending in a newline: per file its
// issues and, when some were cut, "notShown"; then the counts. Text from the
// files and their names goes through printable(): control characters,
// U+FFFE/U+FFFF and bytes that are not UTF-8 (as "\xff", so file names stay
// told apart) never reach it raw. It is handed to `out` in pieces, issue by
// issue, so that the whole text never stands in memory.
void writeJsonReport(const Report& report, const std::function<void(std::string_view)>& out);
std::string jsonReportText(const Report& report);

}  // namespace OrvexConfigValidate
