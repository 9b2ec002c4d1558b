// A SARIF 2.1.0 log for code-scanning consumers.
#pragma once

#include <string>
#include <string_view>

#include "Report.hpp"

namespace OrvexConfigValidate::Tool {

// The URI reference of a file name, relative to workingDirectory (an
// absolute path): "." and ".." resolved lexically, and every byte outside
// the unreserved characters and "/" percent-encoded.
std::string artifactUri(const std::string& fileName, const std::string& workingDirectory);

// One run: the tool as driver with a rule per issue code, one result per
// diagnostic in file order, and a notification per file whose issues were
// cut. Standard input has no artifact location. Indented by 2, ending in a
// newline.
void writeSarif(const Report& report, const std::string& workingDirectory,
                std::string_view toolVersion, OutputSink& out);
std::string formatSarif(const Report& report, const std::string& workingDirectory,
                        std::string_view toolVersion);

}  // namespace OrvexConfigValidate::Tool
