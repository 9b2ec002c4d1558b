#include "Output.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace OrvexConfigValidate::Tool {

WriteResult writeAll(int fd, std::string_view text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            if (errno == EPIPE) return {WriteOutcome::ReaderGone, {}};
            return {WriteOutcome::Failed, std::strerror(errno)};
        }
        done += static_cast<std::size_t>(wrote);
    }
    return {};
}

OutputSink& OutputSink::operator<<(std::string_view text) {
    if (result_.outcome != WriteOutcome::Written) return *this;
    held_.append(text);
    if (fd_ >= 0 && held_.size() >= kPiece) {
        result_ = writeAll(fd_, held_);
        held_.clear();
    }
    return *this;
}

WriteResult OutputSink::finish() {
    if (fd_ >= 0 && result_.outcome == WriteOutcome::Written) {
        result_ = writeAll(fd_, held_);
        held_.clear();
    }
    return result_;
}

}  // namespace OrvexConfigValidate::Tool
