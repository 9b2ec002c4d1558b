#include <orvexconfigvalidate/Pages.hpp>

#include <cstdint>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace OrvexConfigValidate {

#if defined(__linux__) && !defined(__EMSCRIPTEN__) && defined(MADV_HUGEPAGE)

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

void adviseHugePages(const void* data, std::size_t bytes) {
    if (data == nullptr || bytes < kHugePage) return;
    // The advice takes whole pages: those wholly inside the buffer.
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + page - 1) / page * page;
    const std::uintptr_t end = (begin + bytes) / page * page;
    if (end <= first) return;
    // The start is reached from the buffer as a pointer, not made from a number.
    void* const at = const_cast<char*>(static_cast<const char*>(data)) + (first - begin);
    ::madvise(at, end - first, MADV_HUGEPAGE);
}

#else

void adviseHugePages(const void*, std::size_t) {}

#endif

}  // namespace OrvexConfigValidate
