#include "ResidentMemory.hpp"

#include <fstream>
#include <string>

namespace OrvexConfigValidate {

namespace {

// A field of /proc/self/status in kB, e.g. "VmRSS".
long statusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == field + ":") {
            long value = -1;
            status >> value;
            return value;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

}  // namespace

long residentKb() {
    return statusKb("VmRSS");
}

long peakResidentKb() {
    return statusKb("VmHWM");
}

void resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace OrvexConfigValidate
