// Resident memory of this process as the kernel reports it, for the memory
// benchmarks and the large-document test. Linux only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace OrvexConfigValidate {

// Current resident size (VmRSS) in kB, or -1 when it cannot be read.
long residentKb();

// The high-water mark of the resident size (VmHWM) in kB, or -1.
long peakResidentKb();

// Restarts the high-water mark from the current resident size.
void resetPeakResident();

// One mapping of this process's address space, as /proc/self/smaps lists it.
struct Mapping {
    std::uintptr_t low = 0;
    std::uintptr_t high = 0;
    std::string path;          // the file mapped; empty or "[heap]" and the like otherwise
    bool hugeAdvised = false;  // MADV_HUGEPAGE given ("hg" among its flags)
    std::uintptr_t size() const { return high - low; }
    bool holds(const void* at) const {
        const auto address = reinterpret_cast<std::uintptr_t>(at);
        return low <= address && address < high;
    }
};

// The mappings of this process now; empty when they cannot be read.
std::vector<Mapping> mappings();

}  // namespace OrvexConfigValidate
