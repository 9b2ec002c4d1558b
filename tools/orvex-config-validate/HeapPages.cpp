#include "HeapPages.hpp"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#if defined(__GLIBC__) && defined(__linux__)
#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#endif

namespace OrvexConfigValidate::Tool {

namespace {

std::uintmax_t sizeOf(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return 0;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    return ec ? 0 : size;
}

// What the plan will read: each unit's own files where it reads them, and
// a deployment's bridges file as the deployment index found it (or the
// file read in its place).
std::uintmax_t inputBytes(const InputPlan& plan) {
    std::uintmax_t total = 0;
    for (const CheckUnit& unit : plan.plan.units) {
        for (std::size_t i = 0; i < unit.paths.size(); ++i) {
            total += sizeOf(i == 0 && !unit.readFrom.empty() ? unit.readFrom : unit.paths[i]);
        }
        if (!unit.deployment) continue;
        total += unit.bridgesReadFrom.empty() ? unit.partnerBytes : sizeOf(unit.bridgesReadFrom);
    }
    return total;
}

// The text, its document, the model and the positions of a bridges file
// come to about ten times the text; a little more leaves room.
constexpr std::uintmax_t kHeapPerByte = 11;
// The language server cannot know what it will be sent: room for the
// documents of a 30 MB file, of which only what it touches becomes resident.
constexpr std::uintmax_t kServerHeap = std::uintmax_t{320} << 20;
// Where the first block after a reservation goes.
enum class Start { OnHugePage, Anywhere };
#if defined(__GLIBC__) && defined(__linux__)
constexpr std::uintmax_t kHugePage = std::uintmax_t{2} << 20;
constexpr std::uintmax_t kMostReserved = std::uintmax_t{1} << 30;
constexpr std::size_t kGrowingBlock = std::size_t{1} << 20;
constexpr int kUsualPad = 128 << 10;
// A block's header: glibc's size words before it.
constexpr std::size_t kWord = sizeof(std::size_t);
constexpr std::size_t kSmallestBlock = 4 * kWord;
// The spacer below the huge pages; kept, and reachable from here so that
// leak checkers do not count it. Volatile, or the compiler drops a block
// that nothing reads.
void* volatile spacer = nullptr;

// glibc's own settings, given back when the reservation is not made.
constexpr int kUsualMmapMax = 65536;
constexpr int kUsualTrimThreshold = 128 << 10;
// Beside the reserved heap, a check maps its input text and a few small
// things of its own (stacks, buffers).
constexpr std::uintmax_t kBesideTheHeap = std::uintmax_t{64} << 20;

// What a limit on the address space or the data (ulimit -v, -d) leaves to
// this process; nothing when there is none.
std::optional<std::uintmax_t> roomUnderLimits() {
    std::optional<std::uintmax_t> limit;
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit set {};
        if (getrlimit(resource, &set) != 0 || set.rlim_cur == RLIM_INFINITY) continue;
        limit = std::min<std::uintmax_t>(limit.value_or(set.rlim_cur), set.rlim_cur);
    }
    if (!limit) return std::nullopt;
    // The address space in use now: the first number of statm, in pages.
    std::uintmax_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const std::uintmax_t used = pages * static_cast<std::uintmax_t>(sysconf(_SC_PAGESIZE));
    return *limit > used ? *limit - used : 0;
}

// Addresses as numbers: the block that grows the heap is freed before its
// place is used to find the top's.
using Address = std::uintptr_t;

Address alignUp(Address at) {
    return (at + kHugePage - 1) / kHugePage * kHugePage;
}

Address alignDown(Address at) {
    return at / kHugePage * kHugePage;
}

// Blocks are cut from the heap's free top upwards, and the top begins below
// the first huge page boundary: a spacer block, of which only its header is
// ever written, lifts the next block to the boundary, so that the document
// does not begin on up to 2 MiB of small pages.
void startBlocksAt(Address top, Address boundary) {
    if (top >= boundary || boundary - top < kSmallestBlock) return;
    spacer = std::malloc(boundary - top - kWord);
}

// Where glibc cuts blocks otherwise than assumed here, only the pages
// differ: the check runs the same.
void reserve(std::uintmax_t heapBytes, std::uintmax_t besideBytes, Start start) {
    // Room for the estimate from the first huge page boundary on, wherever
    // the heap's top begins.
    const std::uintmax_t reserved = std::min(heapBytes, kMostReserved) + 2 * kHugePage;
    // Untouched, the reservation still counts against a limit: taken where
    // the limit leaves less beside it than the input's text needs, it would
    // fail a check that runs without it, and a higher limit would then
    // fail where a lower one passed. Under such a limit the heap grows as
    // it needs.
    const std::optional<std::uintmax_t> room = roomUnderLimits();
    if (room && *room < reserved + besideBytes + kBesideTheHeap) return;
    const int pad = static_cast<int>(reserved);
    // Large blocks (the text, the position index) come from the heap too,
    // so the reserved range serves them.
    mallopt(M_MMAP_MAX, 0);
    // The next growth of the heap takes the whole reservation, and freeing
    // never hands it back before the process ends.
    mallopt(M_TRIM_THRESHOLD, pad + 2 * static_cast<int>(kGrowingBlock));
    mallopt(M_TOP_PAD, pad);
    void* const block = std::malloc(kGrowingBlock);
    char* const top = static_cast<char*>(sbrk(0));
    const auto end = reinterpret_cast<Address>(top);
    // Growths past the estimate take only what they need.
    mallopt(M_TOP_PAD, kUsualPad);
    if (block == nullptr) {
        // Not to be had after all: large blocks are mapped again.
        mallopt(M_MMAP_MAX, kUsualMmapMax);
        mallopt(M_TRIM_THRESHOLD, kUsualTrimThreshold);
        return;
    }
    // The block was cut from the top's beginning, and freed it is the top
    // again. Growing wrote a header past it, before the advice: the huge
    // pages begin beyond.
    const auto at = reinterpret_cast<Address>(block);
    std::free(block);
    const Address first = alignUp(at + kGrowingBlock + kSmallestBlock);
    if (alignDown(end) < first + kHugePage) return;
    // The advice's start is reached from the heap's top as a pointer, not
    // made from a number.
    madvise(top - (end - first), alignDown(end) - first, MADV_HUGEPAGE);
    if (start == Start::OnHugePage) startBlocksAt(at - 2 * kWord, first);
}
#else
void reserve(std::uintmax_t, std::uintmax_t, Start) {}
#endif

}  // namespace

void reserveHugeHeapFor(const InputPlan& plan) {
    reserveHugeHeapForBytes(inputBytes(plan));
}

void reserveHugeHeapForBytes(std::uintmax_t inputBytes) {
    if (inputBytes >= kHugeHeapFrom) {
        reserve(inputBytes * kHeapPerByte, inputBytes, Start::OnHugePage);
    }
}

void reserveHugeHeapForServer() {
    // Small documents, the common case, stay on small pages below the first
    // boundary: a huge page would be resident at once.
    reserve(kServerHeap, 0, Start::Anywhere);
}

}  // namespace OrvexConfigValidate::Tool
