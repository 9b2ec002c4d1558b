#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include <orvexconfigvalidate/Report.hpp>
#include "Output.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

TEST(Printable, ControlCharactersAndBrokenUtf8AreEscaped) {
    EXPECT_EQ(printable("plain text é — 📡"), "plain text é — 📡");
    EXPECT_EQ(printable("\x1b[31mred\x1b[0m"), "\\u001b[31mred\\u001b[0m");
    EXPECT_EQ(printable("a\nb.json:1:1: error: forged"), "a\\u000ab.json:1:1: error: forged");
    EXPECT_EQ(printable(std::string("nul\0tab\t\x7f", 9)), "nul\\u0000tab\\u0009\\u007f");
    EXPECT_EQ(printable("caf\xE9!"), "caf\\xe9!");
    EXPECT_EQ(printable("\xFF\xC3"), "\\xff\\xc3");
    EXPECT_EQ(printable("\xC2\x9B"
                        "2J"),
              "\\u009b2J");                                   // the one-byte CSI
    EXPECT_EQ(printable("\xC2\xA0"), "\xC2\xA0");             // no-break space is text
    EXPECT_EQ(printable("\xED\xA0\x80"), "\\xed\\xa0\\x80");  // an encoded surrogate
    EXPECT_EQ(printable("back\\slash \"quoted\""), "back\\slash \"quoted\"");
}

TEST(WriteAll, WritesEverythingAndReportsFailures) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    EXPECT_EQ(writeAll(fds[1], "report\n").outcome, WriteOutcome::Written);
    char buffer[16] = {};
    EXPECT_EQ(read(fds[0], buffer, sizeof buffer), 7);
    EXPECT_EQ(std::string(buffer), "report\n");

    // The reader went away: told apart from a failure.
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    close(fds[0]);
    EXPECT_EQ(writeAll(fds[1], "more").outcome, WriteOutcome::ReaderGone);
    std::signal(SIGPIPE, previous);
    close(fds[1]);

    const int full = open("/dev/full", O_WRONLY);
    if (full >= 0) {
        const WriteResult result = writeAll(full, "lost");
        EXPECT_EQ(result.outcome, WriteOutcome::Failed);
        EXPECT_EQ(result.error, "No space left on device");
        close(full);
    }
    EXPECT_EQ(writeAll(-1, "x").outcome, WriteOutcome::Failed);
    EXPECT_EQ(writeAll(-1, "").outcome, WriteOutcome::Written);
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
