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
#include <unistd.h>
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
constexpr std::uintmax_t kHugePageBytes = std::uintmax_t{2} << 20;
#if defined(__GLIBC__) && defined(__linux__)
constexpr std::uintptr_t kHugePage = kHugePageBytes;
constexpr std::uintmax_t kMostReserved = std::uintmax_t{1} << 30;
constexpr std::size_t kGrowingBlock = std::size_t{1} << 20;
constexpr int kUsualPad = 128 << 10;

void reserve(std::uintmax_t heapBytes) {
    const int pad = static_cast<int>(std::min<std::uintmax_t>(
        std::min(heapBytes, kMostReserved), static_cast<std::uintmax_t>(INT_MAX)));
    // Large blocks (the text, the position index) come from the heap too,
    // so the reserved range serves them.
    mallopt(M_MMAP_MAX, 0);
    // The next growth of the heap takes the whole estimate, and freeing
    // never hands it back before the process ends.
    mallopt(M_TRIM_THRESHOLD, pad);
    mallopt(M_TOP_PAD, pad);
    char* const start = static_cast<char*>(sbrk(0));
    void* const block = std::malloc(kGrowingBlock);
    std::free(block);
    char* const end = static_cast<char*>(sbrk(0));
    // Growths past the estimate take only what they need.
    mallopt(M_TOP_PAD, kUsualPad);
    const std::uintptr_t misaligned = reinterpret_cast<std::uintptr_t>(start) % kHugePage;
    char* const first = start + (misaligned == 0 ? 0 : kHugePage - misaligned);
    if (block == nullptr || end <= first + kHugePage) return;
    // Advice only: the check runs the same without it.
    madvise(first, static_cast<std::size_t>(end - first), MADV_HUGEPAGE);
}
#else
void reserve(std::uintmax_t) {}
#endif

}  // namespace

void reserveHugeHeapFor(const InputPlan& plan) {
    reserveHugeHeapForBytes(inputBytes(plan));
}

void reserveHugeHeapForBytes(std::uintmax_t inputBytes) {
    // One huge page more than the estimate: wherever the heap starts, a
    // whole aligned page then lies inside the reservation.
    if (inputBytes >= kHugeHeapFrom) reserve(inputBytes * kHeapPerByte + kHugePageBytes);
}

void reserveHugeHeapForServer() {
    reserve(kServerHeap);
}

}  // namespace OrvexConfigValidate::Tool
