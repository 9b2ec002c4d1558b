#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Check.hpp"
#include "ConfigGenerator.hpp"
#include "FileFixture.hpp"
#include "TextBuffer.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

const std::size_t kPage = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));

// mincore fails with ENOMEM on an address range that is not mapped.
bool mapped(const char* address) {
    unsigned char resident = 0;
    void* page = reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(address) / kPage * kPage);
    return ::mincore(page, kPage, &resident) == 0 || errno != ENOMEM;
}

TEST(TextBuffer, DiscardingUnmapsWholePagesBelowTheOffsetOnly) {
    TextBuffer buffer(10 * kPage + 100);
    std::memset(buffer.data(), 'x', buffer.capacity());
    buffer.discardBefore(3 * kPage + 10);
    EXPECT_FALSE(mapped(buffer.data()));
    EXPECT_FALSE(mapped(buffer.data() + 3 * kPage - 1));
    // The page holding the offset is still in use.
    EXPECT_TRUE(mapped(buffer.data() + 3 * kPage));
    EXPECT_EQ(buffer.data()[3 * kPage + 10], 'x');
    // Going back, or past the end, never unmaps what is not its own.
    buffer.discardBefore(kPage);
    EXPECT_TRUE(mapped(buffer.data() + 3 * kPage));
    buffer.discardBefore(1000 * kPage);
    EXPECT_FALSE(mapped(buffer.data() + 10 * kPage));
    buffer.reset();
    EXPECT_EQ(buffer.data(), nullptr);
}

TEST(TextBuffer, MovingHandsOverTheMapping) {
    TextBuffer first(3 * kPage);
    first.data()[2 * kPage] = 'y';
    first.discardBefore(kPage);
    TextBuffer second(std::move(first));
    EXPECT_EQ(first.data(), nullptr);
    EXPECT_EQ(second.data()[2 * kPage], 'y');
    first = std::move(second);
    EXPECT_EQ(first.data()[2 * kPage], 'y');
}

class LargeInput : public FileFixture {
  protected:
    LargeInput() : FileFixture("large_") {}
};

// The tool parses a large file while giving its text back: every place must
// still be the one validateText finds on the whole text.
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
