// Runs the planned validations and turns their issues into diagnostics.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>
#include <orvexconfigvalidate/Project.hpp>

#include "Arguments.hpp"
#include "Input.hpp"
#include "Report.hpp"

namespace OrvexConfigValidate::Tool {

struct CheckOptions {
    ValidateOptions validate;
    std::size_t maxSize = kDefaultMaxSize;
    int standardInput = STDIN_FILENO;
    // Keep each text until its diagnostics' columns are also counted in code
    // points (SARIF wants them); otherwise a text goes as it is parsed.
    bool countCharacters = false;
    // The most diagnostics listed of one file (0: all); the others are
    // counted in its FileEntry::notShown.
    std::size_t maxIssues = 0;
    // The projects whose accepted issues and severities apply; none when null.
    ProjectRun* projects = nullptr;
};

// The parsed documents of the last unit checked. A caller about to exit can
// keep them here instead of tearing them down.
using KeptDocuments = std::vector<ParsedText>;

// Every unit is checked, also after one whose input cannot be read or runs
// out of memory. When one file of a pair cannot be read, the other is
// checked on its own. The diagnostics come out sorted.
Report runChecks(const std::vector<CheckUnit>& units, const CheckOptions& options,
                 KeptDocuments* keep = nullptr);

}  // namespace OrvexConfigValidate::Tool
