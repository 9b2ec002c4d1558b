// Memory of one generated bridging configuration: the resident size of the
// parsed document, and the peak resident size while validating it (the
// kernel's high-water mark is reset just before validate()).
//   orvexconfigvalidate_memory parse|validate|obs GROUPS
#include <malloc.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "ConfigGenerator.hpp"

namespace {

// A field of /proc/self/status in kB, e.g. "VmRSS" or "VmHWM".
long statusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = -1;
    while (status >> key) {
        if (key == field + ":") {
            status >> value;
            return value;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " parse|validate|obs GROUPS\n";
        return 2;
    }
    const std::string mode = argv[1];
    const auto groups = std::strtoull(argv[2], nullptr, 10);
    std::string text = OrvexConfigValidate::generateBridgingConfiguration(groups);
    if (mode == "obs") {
        text = OrvexConfigValidate::composeObs(OrvexConfigValidate::generateServerConfiguration(3),
                                               text);
    }
    const std::size_t bytes = text.size();
    const nlohmann::json document = nlohmann::json::parse(text);
    std::string().swap(text);  // the text is not part of either figure
    malloc_trim(0);
    std::cout << "bytes " << bytes << "\n";
    std::cout << "document_rss_kb " << statusKb("VmRSS") << "\n";
    if (mode == "parse") return 0;
    std::ofstream("/proc/self/clear_refs") << "5";  // resets VmHWM to the current size
    const auto result = OrvexConfigValidate::validate(
        mode == "obs" ? "Obs" : "BridgingConfiguration", document, {});
    std::cout << "validate_peak_rss_kb " << statusKb("VmHWM") << "\n";
    std::cout << "issues " << result.issues.size() << "\n";
    return result.ok ? 0 : 1;
}
