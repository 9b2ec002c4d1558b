// Memory of one generated document: the resident size of the parsed
// document, and the peak resident size while validating it (the kernel's
// high-water mark is reset just before the call).
//   orvexconfigvalidate_memory validate|before SHAPE GROUPS
// SHAPE: generated, dense, generated-obs or dense-obs. "before" measures the
// old valijson pipeline instead of validate().
#include <malloc.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "ConfigGenerator.hpp"
#include "ResidentMemory.hpp"
#include "baseline/BaselineValidate.hpp"

int main(int argc, char** argv) {
    using namespace OrvexConfigValidate;
    const std::string mode = argc == 4 ? argv[1] : "";
    const std::string shape = argc == 4 ? argv[2] : "";
    if ((mode != "validate" && mode != "before") ||
        (shape != "generated" && shape != "dense" && shape != "generated-obs" &&
         shape != "dense-obs")) {
        std::cerr << "usage: " << argv[0]
                  << " validate|before generated|dense|generated-obs|dense-obs GROUPS\n";
        return 2;
    }
    const auto groups = std::strtoull(argv[3], nullptr, 10);
    const bool dense = shape.rfind("dense", 0) == 0;
    const bool obs = shape.find("obs") != std::string::npos;
    std::string text =
        dense ? generateDenseBridgingConfiguration(groups) : generateBridgingConfiguration(groups);
    if (obs) text = composeObs(generateServerConfiguration(3), text);
    const std::size_t bytes = text.size();
    const long before = residentKb();
    const nlohmann::json document = nlohmann::json::parse(text);
    std::string().swap(text);  // the text is not part of either figure
    malloc_trim(0);
    const long withDocument = residentKb();
    const std::string schemaId = obs ? "Obs" : "BridgingConfiguration";
    // Schemas compiled (and any one-time set-up done) before measuring.
    (mode == "before" ? baseline::validate : validate)(schemaId, nlohmann::json::object(), {});
    malloc_trim(0);
    const long settled = residentKb();
    resetPeakResident();
    const auto result = (mode == "before" ? baseline::validate : validate)(schemaId, document, {});
    const long peak = peakResidentKb();
    std::cout << "bytes " << bytes << "\n";
    std::cout << "document_kb " << (withDocument - before) << "\n";
    std::cout << "extra_peak_kb " << (peak - settled) << "\n";
    std::cout << "issues " << result.issues.size() << "\n";
    return result.ok ? 0 : 1;
}
