#include "ResidentMemory.hpp"

#include <fstream>
#include <sstream>
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

std::vector<Mapping> mappings() {
    std::vector<Mapping> out;
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    while (std::getline(smaps, line)) {
        std::istringstream fields(line);
        std::string first;
        fields >> first;
        if (first.empty()) continue;
        if (first.back() == ':') {
            // A field of the latest mapping; its flags are two letters each.
            if (first == "VmFlags:" && !out.empty()) {
                for (std::string flag; fields >> flag;) out.back().hugeAdvised |= flag == "hg";
            }
            continue;
        }
        const std::size_t dash = first.find('-');
        if (dash == std::string::npos) continue;
        Mapping mapping;
        mapping.low = std::stoull(first.substr(0, dash), nullptr, 16);
        mapping.high = std::stoull(first.substr(dash + 1), nullptr, 16);
        std::string skipped;
        for (int i = 0; i < 4; ++i) fields >> skipped;  // permissions, offset, device, inode
        std::getline(fields >> std::ws, mapping.path);
        out.push_back(std::move(mapping));
    }
    return out;
}

}  // namespace OrvexConfigValidate
