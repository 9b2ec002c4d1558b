#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Check.hpp"
#include "ConfigGenerator.hpp"
#include "FileFixture.hpp"
#include "Input.hpp"
#include "ResidentMemory.hpp"
#include "TextBuffer.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

// The mapping that holds `at`, if any.
std::optional<Mapping> mappingOf(const void* at) {
    for (const Mapping& m : mappings()) {
        if (m.holds(at)) return m;
    }
    return std::nullopt;
}

TEST(TextBuffer, MovingHandsOverTheMapping) {
    TextBuffer first(3 * 4096);
    first.data()[2 * 4096] = 'y';
    TextBuffer second(std::move(first));
    EXPECT_EQ(first.data(), nullptr);  // NOLINT(bugprone-use-after-move): the state moved from
    EXPECT_EQ(second.data()[2 * 4096], 'y');
    first = std::move(second);
    EXPECT_EQ(first.data()[2 * 4096], 'y');
    first.reset();
    EXPECT_EQ(first.data(), nullptr);
    EXPECT_EQ(first.capacity(), 0u);
}

class Pages : public FileFixture {
  protected:
    Pages() : FileFixture("pages_") {}
};

// A regular file is its own mapping, never a copy; what must be read (a
// pipe) goes into room advised for huge pages, the largest buffer of a read.
TEST_F(Pages, AFileIsMappedAndAPipeIsReadIntoAdvisedRoom) {
    const std::string text = generateBridgingConfiguration(9000);
    ASSERT_GT(text.size(), std::size_t{2} << 20);
    const std::string path = write("bridges.json", text);
    const LoadedInput file = loadInput(path, -1, text.size());
    ASSERT_FALSE(file.error);
    EXPECT_EQ(file.text(), text);
    const std::optional<Mapping> mapped = mappingOf(file.text().data());
    ASSERT_TRUE(mapped);
    char resolved[PATH_MAX];
    ASSERT_NE(::realpath(path.c_str(), resolved), nullptr);
    EXPECT_EQ(mapped->path, resolved);

    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::thread writer([&] {
        EXPECT_EQ(::write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(fds[1]);
    });
    const LoadedInput piped = loadInput("-", fds[0], text.size());
    writer.join();
    ::close(fds[0]);
    ASSERT_FALSE(piped.error);
    EXPECT_EQ(piped.text(), text);
    const std::optional<Mapping> room = mappingOf(piped.text().data());
    ASSERT_TRUE(room);
    EXPECT_EQ(room->path, "");
    if (::access("/sys/kernel/mm/transparent_hugepage/enabled", F_OK) == 0) {
        EXPECT_TRUE(room->hugeAdvised);
    }
}

// A file someone else cuts short while it is mapped ends the run as an
// unreadable input does, not with a crash.
TEST_F(Pages, AFileCutShortWhileMappedEndsTheRunWithStatusTwo) {
    const std::string path = write("cut.json", std::string(3 * 4096, ' ') + "{}");
    EXPECT_EXIT(
        {
            const int fd = ::open(path.c_str(), O_RDWR);
            const TextBuffer text = TextBuffer::mapFile(fd, 3 * 4096 + 2);
            if (text.data() == nullptr || ::ftruncate(fd, 0) != 0) std::_Exit(9);
            std::_Exit(text.data()[3 * 4096] == '{' ? 0 : 1);
        },
        ::testing::ExitedWithCode(2), "an input file was cut short while it was read");
}

class LargeInput : public FileFixture {
  protected:
    LargeInput() : FileFixture("large_") {}
};

// The tool checks a large file from its mapping: every place must be the
// one validateText finds on the text.
TEST_F(LargeInput, IsLocatedAsIfKeptWhole) {
    std::string text = generateBridgingConfiguration(5000);
    text.insert(text.find('{') + 1, "\"groups\": [], ");
    const std::size_t port = text.rfind("\"port\": 7443");
    ASSERT_NE(port, std::string::npos);
    text.replace(port, 12, "\"port\": 74430");
    const std::string path = write("bridges.json", text);

    CheckOptions options;
    options.standardInput = -1;
    const Report report = runChecks({CheckUnit{"BridgingConfiguration", {path}, false}}, options);
    const ValidationResult expected =
        validateText("BridgingConfiguration", text, ValidateOptions{});
    ASSERT_EQ(report.diagnostics.size(), expected.issues.size());
    ASSERT_GE(expected.issues.size(), 2u);
    std::vector<std::pair<std::size_t, std::size_t>> seen;
    std::vector<std::pair<std::size_t, std::size_t>> wanted;
    for (const Diagnostic& d : report.diagnostics) {
        ASSERT_TRUE(d.position);
        seen.emplace_back(d.position->line, d.position->column);
    }
    for (const Issue& issue : expected.issues) {
        wanted.emplace_back(issue.location.line, issue.location.column);
    }
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(seen, wanted);
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
