#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "FileFixture.hpp"
#include "FixSource.hpp"
#include "SafeReplace.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Moves the modification time by one nanosecond and nothing else.
void touchByOneNanosecond(const std::string& path) {
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    struct timespec times[2] = {status.st_atim, status.st_mtim};
    times[1].tv_nsec = (times[1].tv_nsec + 1) % 1000000000;
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Files beside `path` whose names start with a dot: what a replacement
// leaves behind.
int hiddenBeside(const std::string& path) {
    int count = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(path).parent_path())) {
        count += entry.path().filename().string().front() == '.' ? 1 : 0;
    }
    return count;
}

class FixSourceTest : public FileFixture {
  protected:
    FixSourceTest() : FileFixture("fix-source-") {}
};

// What happens to a file between reading it and replacing it, and whether
// the replacement must then be refused.
TEST_F(FixSourceTest, ChangesSinceReadAreNoticedAndRefusedBeforeTheRename) {
    // `spare` is another name in the same folder, free for the change.
    using Change = std::function<void(const std::string& path, const std::string& spare)>;
    struct Case {
        const char* what;
        Change change;
        bool refused;
    };
    const Case cases[] = {
        {"nothing", [](const std::string&, const std::string&) {}, false},
        {"saved in place, longer",
         [](const std::string& path, const std::string&) {
             std::ofstream(path, std::ios::app) << " ";
         },
         true},
        {"same size, only the time moved",
         [](const std::string& path, const std::string&) { touchByOneNanosecond(path); }, true},
        {"saved as a new file renamed over it",
         [](const std::string& path, const std::string& spare) {
             std::ofstream(spare, std::ios::binary) << "{\"a\":1}";
             ASSERT_EQ(std::rename(spare.c_str(), path.c_str()), 0);
         },
         true},
        {"removed", [](const std::string& path, const std::string&) { std::remove(path.c_str()); },
         true},
        {"a link to it in its place",
         [](const std::string& path, const std::string& spare) {
             ASSERT_EQ(std::rename(path.c_str(), spare.c_str()), 0);
             ASSERT_EQ(::symlink(spare.c_str(), path.c_str()), 0);
         },
         true},
    };
    const std::string spare = place("spare.json");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = write("config.json", "{\"a\":1}");
        std::string afterChange;
        {
            const FixRead read = readFixSource(path, 1 << 20);
            ASSERT_TRUE(read.source) << read.error;
            EXPECT_EQ(read.text, "{\"a\":1}");
            Replacement replacement(read.source, "{\"a\":2}");
            ASSERT_EQ(replacement.problem(), "");
            EXPECT_EQ(hiddenBeside(path), 1) << "the new file is written beside it";
            c.change(path, spare);
            afterChange = contents(path);
            EXPECT_EQ(replacement.changed().empty(), !c.refused);
            const std::string problem = replacement.putInPlace();
            EXPECT_EQ(!problem.empty(), c.refused) << problem;
        }
        EXPECT_EQ(contents(path), c.refused ? afterChange : "{\"a\":2}");
        EXPECT_EQ(hiddenBeside(path), 0) << "a new file was left behind";
        std::remove(path.c_str());
        std::remove(spare.c_str());
    }
}

// A link named by the operator is followed when read; re-pointed before
// the write, it does not take the first file's fixed text elsewhere.
TEST_F(FixSourceTest, ALinkIsFollowedOnceWhenRead) {
    const std::string first = write("first.json", "{\"a\":1}");
    const std::string second = write("second.json", "{\"b\":1}");
    const std::string link = place("link.json");
    ASSERT_EQ(::symlink(first.c_str(), link.c_str()), 0);
    const FixRead read = readFixSource(link, 1 << 20);
    ASSERT_TRUE(read.source) << read.error;
    Replacement replacement(read.source, "{\"a\":2}");
    ASSERT_EQ(::unlink(link.c_str()), 0);
    ASSERT_EQ(::symlink(second.c_str(), link.c_str()), 0);
    EXPECT_EQ(replacement.putInPlace(), "");
    EXPECT_EQ(contents(first), "{\"a\":2}");
    EXPECT_EQ(contents(second), "{\"b\":1}");
    struct stat status {};
    ASSERT_EQ(::lstat(link.c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
