#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "FileFixture.hpp"
#include "Input.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

constexpr std::size_t kLimit = 1 << 20;

class Input : public FileFixture {
  protected:
    Input() : FileFixture("input_") {}
};

TEST_F(Input, RegularFilesAreReadWholeNulBytesIncluded) {
    const std::string text("{}\0garbage", 10);
    const auto input = loadInput(write("nul.json", text), -1, kLimit);
    ASSERT_FALSE(input.error);
    EXPECT_EQ(input.text(), text);
    const auto empty = loadInput(write("empty.json", ""), -1, kLimit);
    ASSERT_FALSE(empty.error);
    EXPECT_EQ(empty.size, 0u);
}

TEST_F(Input, SizeLimitIsAReadErrorOfThatFile) {
    const auto path = write("big.json", std::string(2000, ' ') + "1");
    EXPECT_FALSE(loadInput(path, -1, 2001).error);
    const auto input = loadInput(path, -1, 2000);
    ASSERT_TRUE(input.error);
    EXPECT_EQ(input.error->code, "read_error");
    EXPECT_EQ(input.error->message,
              "cannot read file: larger than the limit of 2000 bytes (see --max-size)");
}

TEST_F(Input, OnlyRegularFilesAreRead) {
    auto input = loadInput("/dev/zero", -1, kLimit);
    ASSERT_TRUE(input.error);
    EXPECT_EQ(input.error->message, "cannot read file: not a regular file");

    input = loadInput("/nonexistent/dir/bridges.json", -1, kLimit);
    ASSERT_TRUE(input.error);
    EXPECT_EQ(input.error->message, "cannot read file: No such file or directory");

    input = loadInput("/", -1, kLimit);
    ASSERT_TRUE(input.error);
    EXPECT_EQ(input.error->message, "cannot read file: is a directory");

    // A named pipe with no writer would block a plain open.
    const std::string fifo = place("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    input = loadInput(fifo, -1, kLimit);
    ASSERT_TRUE(input.error);
    EXPECT_EQ(input.error->message, "cannot read file: not a regular file");
}

TEST_F(Input, StandardInputFromAPipeWithinTheLimit) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string text = "{\"x\": true}";
    ASSERT_EQ(::write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fds[1]);
    const auto input = loadInput("-", fds[0], kLimit);
    close(fds[0]);
    EXPECT_EQ(input.name, "<stdin>");
    ASSERT_FALSE(input.error);
    EXPECT_EQ(input.text(), text);

    // /dev/zero never ends: the limit stops it.
    const int zero = open("/dev/zero", O_RDONLY);
    ASSERT_GE(zero, 0);
    const auto endless = loadInput("-", zero, 300000);
    close(zero);
    ASSERT_TRUE(endless.error);
    EXPECT_EQ(endless.error->message,
              "cannot read file: larger than the limit of 300000 bytes (see --max-size)");
}

// The largest limit has no byte past it: reading must not wrap around.
TEST_F(Input, StandardInputUnderTheLargestLimit) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string text(100000, ' ');
    ASSERT_EQ(::write(fds[1], text.data(), 60000), 60000);
    // More than the first read buffer holds, so that it must grow.
    std::thread writer([&] {
        EXPECT_EQ(::write(fds[1], text.data() + 60000, 40000), 40000);
        close(fds[1]);
    });
    const auto input = loadInput("-", fds[0], SIZE_MAX);
    writer.join();
    close(fds[0]);
    ASSERT_FALSE(input.error) << input.error->message;
    EXPECT_EQ(input.text(), text);
}

TEST_F(Input, ClosedStandardInputIsAReadError) {
    const int fd = open("/dev/null", O_RDONLY);
    ASSERT_GE(fd, 0);
    close(fd);  // now a descriptor number that is not open
    const auto input = loadInput("-", fd, kLimit);
    ASSERT_TRUE(input.error);
    EXPECT_EQ(input.error->code, "read_error");
    EXPECT_EQ(input.error->message, "cannot read file: standard input is closed");
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
