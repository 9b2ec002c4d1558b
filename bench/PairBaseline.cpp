// The end-to-end yardstick for the tool on a server/bridges pair: read both
// files, parse them with nlohmann::json, validate the "Obs" envelope (built
// by moving the documents in). Prints the times, the resident size of the
// parsed documents and the peak.
//   orvexconfigvalidate_pair_baseline generate DIR GROUPS
//   orvexconfigvalidate_pair_baseline run SERVER BRIDGES
#include <malloc.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "ConfigGenerator.hpp"
#include "ResidentMemory.hpp"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Processor time of this process, so that figures hold on a busy machine.
double cpuMs() {
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: " << argv[0] << " generate DIR GROUPS | run SERVER BRIDGES\n";
        return 2;
    }
    const std::string mode = argv[1];
    if (mode == "generate") {
        const std::string dir = argv[2];
        const auto groups = std::strtoull(argv[3], nullptr, 10);
        std::ofstream(dir + "/orvexbridged_conf.json")
            << OrvexConfigValidate::generateServerConfiguration(3) << "\n";
        std::ofstream(dir + "/bridges.json")
            << OrvexConfigValidate::generateBridgingConfiguration(groups);
        return 0;
    }
    const double start = cpuMs();
    nlohmann::json server;
    nlohmann::json bridges;
    {
        const std::string serverText = readFile(argv[2]);
        const std::string bridgesText = readFile(argv[3]);
        server = nlohmann::json::parse(serverText);
        bridges = nlohmann::json::parse(bridgesText);
    }
    const double parsed = cpuMs() - start;
    malloc_trim(0);
    const long documentKb = OrvexConfigValidate::residentKb();
    nlohmann::json envelope = nlohmann::json::object();
    envelope["server"] = std::move(server);
    envelope["bridges"] = std::move(bridges);
    const double validateStart = cpuMs();
    const auto result = OrvexConfigValidate::validate("Obs", envelope, {});
    const double validated = cpuMs() - validateStart;
    std::cout << "read_parse_cpu_ms " << parsed << "\nvalidate_cpu_ms " << validated
              << "\ntotal_cpu_ms " << cpuMs() - start << "\ndocument_rss_kb " << documentKb
              << "\npeak_rss_kb " << OrvexConfigValidate::peakResidentKb() << "\nissues "
              << result.issues.size() << "\n";
    return result.ok ? 0 : 1;
}
