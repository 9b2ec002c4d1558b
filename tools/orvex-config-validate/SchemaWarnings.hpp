// Warnings about a schema directory's files that validation passes over
// without a word: a replacement that is not JSON leaves the embedded schema
// (or the other file) in force, which a user would not guess.
#pragma once

#include <string>
#include <vector>

namespace OrvexConfigValidate::Tool {

// One warning per ignored file, naming it, the problem and what applies
// instead; escaped for a terminal. None for an empty directory name.
std::vector<std::string> schemaDirectoryWarnings(const std::string& dir);

}  // namespace OrvexConfigValidate::Tool
