// What the module hands to Python: issues and results as plain values,
// copied out of the library's records while the GIL is released.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Report.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate::Python {

struct PyIssue {
    std::string code;
    std::string severity;  // "error", "warning" or "info"
    // RFC 6901 pointer into the document the issue was found in ("" for the
    // whole document); path is the library's text, with an " (id=...)" note.
    std::string pointer;
    std::string path;
    std::optional<std::size_t> line;    // 1-based; None for a parsed value
    std::optional<std::size_t> column;  // 1-based, in bytes of UTF-8
    std::string message;
    int source = 0;                   // 0 the server text (or the only one), 1 the bridges text
    std::optional<std::string> file;  // set by check_folder
    std::string hint;
    std::string suggestion;
    bool fixable = false;  // a safe fix exists (fix_text / fix_pair apply it)
};

struct PyResult {
    bool ok = true;
    std::vector<PyIssue> issues;
    std::size_t omitted = 0;  // issues past max_issues, counted, not kept
};

struct PyDeployment {
    std::string serverFile;   // "" for a bridges file that no server file names
    std::string bridgesFile;  // "" when none is used
    PyResult result;
};

struct PyFixed {
    std::string text;
    std::size_t applied = 0;
    bool bytes = false;  // given as bytes: handed back as bytes
};

PyIssue toPython(const Issue& issue);
PyResult toPython(const ValidationResult& result);
std::string describe(const PyIssue& issue);

}  // namespace OrvexConfigValidate::Python
