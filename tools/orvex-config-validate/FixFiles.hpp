// --fix and --diff: the safe fixes of every input file, worked out in
// rounds (a fix that clashes with one taken waits for the next round), then
// written over the file or shown as a diff.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Check.hpp"
#include "Deployments.hpp"
#include "FixSource.hpp"

namespace OrvexConfigValidate::Tool {

struct FileFix {
    std::string path;                         // as named, or as the deployment rule found it
    std::string text;                         // as read
    std::vector<TextEdit> edits;              // of `text`, sorted
    std::size_t applied = 0;                  // fixes taken
    std::shared_ptr<const FixSource> source;  // the file read, still open
};

// Reads the inputs of the plan (none may be standard input) and works out
// the fixes of each file that has some. A file named twice (by any path
// that leads to it) is fixed once, from the first. Inputs that cannot be
// read are left to the check that follows.
std::vector<FileFix> planFixes(const InputPlan& plan, const CheckOptions& options);

// The inputs of the plan that exist but are no regular file (a FIFO, a
// device, a folder named as a file): reading one may block or never end,
// and no rename can put a fixed text in its place, so they are refused
// before anything is read. Paths that do not exist are left to the check.
std::vector<std::string> irregularInputs(const InputPlan& plan);

// The text with the fixes made.
std::string fixedText(const FileFix& fix);

// The diff of one fixed file, named by its path from the working directory,
// which git apply run there takes; nothing when the file is not under it.
std::optional<std::string> diffOf(const FileFix& fix, const std::string& workingDirectory);

}  // namespace OrvexConfigValidate::Tool
