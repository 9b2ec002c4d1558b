// Resident size of one generated bridging configuration parsed by
// nlohmann::json::parse ("dom") or by parseText ("text": the same document
// plus its position index), the text itself freed first.
// With "validate", also the peak while validateText checks the parsed text.
//   orvexconfigvalidate_text_memory dom|text|validate GROUPS
#include <malloc.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "ConfigGenerator.hpp"
#include "ResidentMemory.hpp"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " dom|text|validate GROUPS\n";
        return 2;
    }
    const std::string mode = argv[1];
    std::string text =
        OrvexConfigValidate::generateBridgingConfiguration(std::strtoull(argv[2], nullptr, 10));
    text.shrink_to_fit();
    malloc_trim(0);
    // The high-water mark from here on, the text counted in both.
    OrvexConfigValidate::resetPeakResident();
    const long before = OrvexConfigValidate::residentKb();
    if (mode == "dom") {
        const nlohmann::json document = nlohmann::json::parse(text);
        std::cout << "text_and_dom_peak_kb " << OrvexConfigValidate::peakResidentKb() - before
                  << "\n";
        std::string().swap(text);
        malloc_trim(0);
        std::cout << "dom_kb " << OrvexConfigValidate::residentKb() - before << "\n";
        return document.is_object() ? 0 : 1;
    }
    OrvexConfigValidate::ParsedText parsed = OrvexConfigValidate::parseText(text);
    std::cout << "text_dom_and_index_peak_kb " << OrvexConfigValidate::peakResidentKb() - before
              << "\n";
    std::string().swap(text);
    malloc_trim(0);
    std::cout << "dom_and_index_kb " << OrvexConfigValidate::residentKb() - before << "\n";
    if (mode == "validate") {
        OrvexConfigValidate::resetPeakResident();
        const auto result = OrvexConfigValidate::validateText("BridgingConfiguration", parsed, {});
        std::cout << "validate_peak_kb " << OrvexConfigValidate::peakResidentKb() - before << "\n";
        std::cout << "issues " << result.issues.size() << "\n";
    }
    return parsed.ok() ? 0 : 1;
}
