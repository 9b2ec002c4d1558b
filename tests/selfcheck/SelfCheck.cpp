// End-to-end check of the library on the fixture documents.
#include <cstdint>
#include <exception>
#include <iostream>
#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Fixture.hpp"

namespace {

using OrvexConfigValidate::loadFixture;
using OrvexConfigValidate::validate;
using OrvexConfigValidate::ValidateOptions;
using OrvexConfigValidate::ValidationResult;

std::int32_t failureCount = 0;

void expect(bool passed, const std::string& label) {
    if (passed) {
        std::cout << "PASS: " << label << "\n";
    } else {
        std::cerr << "FAIL: " << label << "\n";
        ++failureCount;
    }
}

bool hasCode(const ValidationResult& result, const std::string& code) {
    for (const auto& issue : result.issues) {
        if (issue.code == code) {
            return true;
        }
    }
    return false;
}

nlohmann::json composite(const std::string& serverFile, const std::string& bridgesFile) {
    nlohmann::json document;
    document["server"] = loadFixture(serverFile);
    document["bridges"] = loadFixture(bridgesFile);
    return document;
}

ValidationResult validateObs(const std::string& serverFile, const std::string& bridgesFile) {
    return validate("Obs", composite(serverFile, bridgesFile), ValidateOptions{});
}

int runCases() {
    {
        const auto result = validateObs("valid_server.json", "valid_bridges.json");
        expect(!result.hasErrors(), "valid Obs has no errors");
    }
    {
        const auto result =
            validate("BridgingServerConfiguration",
                     loadFixture("invalid_missing_engine_policy.json"), ValidateOptions{});
        expect(result.hasErrors(), "missing enginePolicy is an error");
    }
    {
        const auto result =
            validateObs("invalid_mode2_server.json", "invalid_mode2_raw_group.json");
        expect(result.hasErrors(), "mode 2 + gtRaw is an error");
        expect(hasCode(result, "mode_requires_audio_group"),
               "mode_requires_audio_group code present");
    }
    {
        const auto result = validateObs("valid_server.json", "invalid_dangling_ref.json");
        expect(result.hasErrors(), "dangling group ref is an error");
        expect(hasCode(result, "missing_group_ref"), "missing_group_ref code present");
    }
    {
        const auto result = validateObs("valid_server.json", "invalid_bom_type_mismatch.json");
        expect(result.hasErrors(), "bomRaw + gtAudio under mode 3 is an error");
        expect(hasCode(result, "bom_type_mismatch"), "bom_type_mismatch code present");
    }
    {
        const nlohmann::json empty = {{"bridges", nlohmann::json::array()},
                                      {"groups", nlohmann::json::array()}};
        const auto result = validate("BridgingConfiguration", empty, ValidateOptions{});
        expect(!result.hasErrors(), "empty bridges.json is valid");
    }

    if (failureCount == 0) {
        std::cout << "All tests passed\n";
        return 0;
    }
    std::cerr << failureCount << " test(s) failed\n";
    return 1;
}

}  // namespace

int main() {
    try {
        return runCases();
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "error: " << e.what() << "\n";
        return 2;
    }
}
