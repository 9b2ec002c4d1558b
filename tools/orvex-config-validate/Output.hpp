// Writing the report to standard output, noticing every failure.
#pragma once

#include <string>
#include <string_view>

namespace OrvexConfigValidate::Tool {

enum class WriteOutcome { Written, ReaderGone, Failed };

struct WriteResult {
    WriteOutcome outcome = WriteOutcome::Written;
    std::string error;  // the system's reason when Failed
};

// Writes all of text to the descriptor. A reader that closed the pipe
// (EPIPE, with SIGPIPE ignored) is told apart from other failures.
WriteResult writeAll(int fd, std::string_view text);

}  // namespace OrvexConfigValidate::Tool
