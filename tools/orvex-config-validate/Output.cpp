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

}  // namespace OrvexConfigValidate::Tool
