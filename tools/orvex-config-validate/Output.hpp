// Writing the report to standard output, noticing every failure.
#pragma once

#include <cstddef>
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

// Where a report goes as it is written: to a descriptor in pieces of about
// kPiece bytes, so that no report is held whole, or into a string for
// callers that want one. After a failed write the rest is dropped.
class OutputSink {
  public:
    static constexpr std::size_t kPiece = std::size_t{64} * 1024;

    // Collects the text; take() hands it over.
    OutputSink() = default;
    explicit OutputSink(int fd) : fd_(fd) {}

    OutputSink& operator<<(std::string_view text);
    // Writes what is still held; the outcome of every write.
    WriteResult finish();
    std::string take() { return std::move(held_); }

  private:
    int fd_ = -1;
    std::string held_;
    WriteResult result_;
};

// What a writer of a report puts into a sink, as one string.
template <typename Write>
std::string collected(Write write) {
    OutputSink sink;
    write(sink);
    return sink.take();
}

}  // namespace OrvexConfigValidate::Tool
