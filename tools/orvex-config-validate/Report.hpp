// What the tool found, and its text and JSON renderings.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "SourceLocator.hpp"

namespace OrvexConfigValidate::Tool {

struct FileEntry {
    std::string name;
    std::string schemaId;
    bool ok = true;
    bool unreadable = false;  // could not be read or is not one JSON document
};

struct Diagnostic {
    std::size_t file = 0;  // index into Report::files
    Severity severity = Severity::Error;
    std::string path;  // JSON pointer in that file; "" when unknown
    std::string code;
    std::string message;
    std::optional<TextPosition> position;
};

// Diagnostics are kept in the order of the library's issues.
struct Report {
    std::vector<FileEntry> files;
    std::vector<Diagnostic> diagnostics;
    // Deployments found under directory arguments; unset when none was given.
    std::optional<std::size_t> deployments;
};

// 0 every file ok, 1 some file not ok, 2 some input unreadable.
int exitStatus(const Report& report);

// "2 files checked: 1 error, 0 warnings, 0 notes", led by the number of
// deployments when directories were searched; ends with a newline.
std::string summaryLine(const Report& report);

// One line per diagnostic, then a summary line; ANSI colours when asked.
std::string formatText(const Report& report, bool colour);

nlohmann::ordered_json formatJson(const Report& report);

}  // namespace OrvexConfigValidate::Tool
