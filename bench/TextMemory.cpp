// Resident size of one generated bridging configuration parsed by
// nlohmann::json::parse ("dom") or by parseText ("text": the same document
// plus its position index), the text itself freed first.
//   orvexconfigvalidate_text_memory dom|text GROUPS
#include <malloc.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "ConfigGenerator.hpp"

namespace {

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
        std::cerr << "usage: " << argv[0] << " dom|text GROUPS\n";
        return 2;
    }
    const std::string mode = argv[1];
    std::string text =
        OrvexConfigValidate::generateBridgingConfiguration(std::strtoull(argv[2], nullptr, 10));
    malloc_trim(0);
    const long before = statusKb("VmRSS");
    if (mode == "dom") {
        const nlohmann::json document = nlohmann::json::parse(text);
        std::string().swap(text);
        malloc_trim(0);
        std::cout << "dom_kb " << statusKb("VmRSS") - before << "\n";
        return document.is_object() ? 0 : 1;
    }
    const OrvexConfigValidate::ParsedText parsed = OrvexConfigValidate::parseText(text);
    std::string().swap(text);
    malloc_trim(0);
    std::cout << "dom_and_index_kb " << statusKb("VmRSS") - before << "\n";
    return parsed.ok() ? 0 : 1;
}
