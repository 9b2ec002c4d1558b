// A large text's read asks for huge pages where its memory is: the largest
// buffer the read makes is advised before it is filled.
#include <gtest/gtest.h>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Document.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "ConfigGenerator.hpp"
#include "ResidentMemory.hpp"

namespace OrvexConfigValidate {
namespace {

bool hugePagesKnown() {
    return ::access("/sys/kernel/mm/transparent_hugepage/enabled", F_OK) == 0;
}

// The mappings of `after` that begin where none of `before` did (a heap
// that only grew is not new), of at least `least` bytes. An allocator that
// keeps large blocks inside one reserved region of its own (a sanitizer's)
// shows the advised block as a mapping split out of that region.
std::vector<Mapping> newMappings(const std::vector<Mapping>& before,
                                 const std::vector<Mapping>& after, std::size_t least) {
    std::set<std::uintptr_t> old;
    for (const Mapping& m : before) old.insert(m.low);
    std::vector<Mapping> found;
    for (const Mapping& m : after) {
        if (old.count(m.low) == 0 && m.size() >= least) found.push_back(m);
    }
    return found;
}

TEST(Pages, TheLargestBufferOfALargeReadIsAdvised) {
    if (!hugePagesKnown()) GTEST_SKIP() << "no transparent huge pages in this kernel";
    // Large blocks get mappings of their own, whatever earlier tests freed.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    const std::string text = generateBridgingConfiguration(12000);
    ASSERT_GT(text.size(), std::size_t{3} << 20);
    const std::vector<Mapping> before = mappings();
    const ParsedText parsed = parseText(std::string_view(text), nullptr);
    const std::vector<Mapping> found = newMappings(before, mappings(), text.size());
    ASSERT_TRUE(parsed.ok());
    // The index, larger than the text it is kept beside, is one of them.
    ASSERT_FALSE(found.empty());
    EXPECT_TRUE(
        std::any_of(found.begin(), found.end(), [](const Mapping& m) { return m.hugeAdvised; }))
        << found.size() << " new mappings of the text's size or more, none advised";
}

// Whether the page holding `at` is advised.
bool advised(const char* at) {
    for (const Mapping& m : mappings()) {
        if (m.holds(at)) return m.hugeAdvised;
    }
    return false;
}

TEST(Pages, AdviceCoversTheWholePagesInsideTheBufferOnly) {
    if (!hugePagesKnown()) GTEST_SKIP() << "no transparent huge pages in this kernel";
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    std::vector<char> buffer(std::size_t{6} << 20);
    const char* const begin = buffer.data() + 1;
    const char* const end = buffer.data() + buffer.size() - 1;
    // Below a huge page there is nothing to gain: no advice.
    adviseHugePages(begin, (std::size_t{2} << 20) - 2);
    EXPECT_FALSE(advised(begin + page));
    adviseHugePages(begin, static_cast<std::size_t>(end - begin));
    const char* const firstWhole = begin + (page - reinterpret_cast<std::uintptr_t>(begin) % page);
    EXPECT_TRUE(advised(firstWhole));
    EXPECT_TRUE(advised(end - page - 1));
    // The pages holding the two ends hold other memory too.
    if (reinterpret_cast<std::uintptr_t>(begin) % page != 0) {
        EXPECT_FALSE(advised(begin));
    }
    if (reinterpret_cast<std::uintptr_t>(end) % page != 0) {
        EXPECT_FALSE(advised(end));
    }
    adviseHugePages(nullptr, buffer.size());  // nothing to advise, and no fault
}

}  // namespace
}  // namespace OrvexConfigValidate
