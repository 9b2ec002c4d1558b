// Resident memory of this process as the kernel reports it, for the memory
// benchmarks and the large-document test. Linux only.
#pragma once

namespace OrvexConfigValidate {

// Current resident size (VmRSS) in kB, or -1 when it cannot be read.
long residentKb();

// The high-water mark of the resident size (VmHWM) in kB, or -1.
long peakResidentKb();

// Restarts the high-water mark from the current resident size.
void resetPeakResident();

}  // namespace OrvexConfigValidate
