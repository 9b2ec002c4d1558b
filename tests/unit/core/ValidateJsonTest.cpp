// validate() of a nlohmann value is judged as validateText() of its dump,
// issue for issue; and a check of a string lists the fixes that a check of
// its document and addFixes give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Differential.hpp"
#include "Fixture.hpp"

namespace OrvexConfigValidate {
namespace {

// Duplicates, escaped names, numbers a double does not hold, misspelt
// members (renames under strict), a bridge naming missing groups.
const std::string kBridges = R"({
  "groups": [
    {"id": "g1", "type": 1, "tx": {"port": 18446744073709551617}, "nmae": "x",
     "bridgeTargetOutputDetail": {"mode": 1}},
    {"id": "g\u0032", "type": 1, "rx": {"port": 0.1}, "bridgeTargetOutputDetail": {"mode": 1}},
    {"id": "g1", "type": 1, "type": 3, "tx": {"p": 1}, "bridgeTargetOutputDetail": {"mode": 1}},
    {"id": "g3", "type": "audio", "tx": {"p": 1e-400}}
  ],
  "grups": [],
  "bridges": [
    {"id": "b1", "groups": ["g1", "G2", "zz"], "enabeld": true}
  ]
})";

struct Case {
    std::string name;
    std::string schemaId;
    std::string text;
};

std::vector<Case> cases() {
    const auto fixture = [](const char* file) {
        return readTextFile(std::string(kFixtureDir) + "/" + file);
    };
    const auto envelope = [&fixture](const char* server, const char* bridges) {
        return "{\"server\": " + fixture(server) + ", \"bridges\": " + fixture(bridges) + "}";
    };
    return {
        {"bridges", "BridgingConfiguration", kBridges},
        {"group", "Group", R"({"id": "a", "type": 9, "id": "b", "tx": [1, {"x": -0.0}]})"},
        {"scalar root", "BridgingConfiguration", "[1, 2, 3e5]"},
        {"server", "BridgingServerConfiguration", R"({"mode": 2, "id": 5, "mdoe": 1})"},
        {"fixture pair", "Obs",
         envelope("invalid_mode2_server.json", "invalid_mode2_raw_group.json")},
        {"valid pair", "Obs", envelope("valid_server.json", "valid_bridges.json")},
        {"numbers", "Group", R"({"id": "n", "type": 1.0, "tx": {"port": 65536.5}, "rx": 1e300})"},
    };
}

TEST(ValidateJson, JudgesAsTheTextOfItsDump) {
    ValidateOptions strict;
    strict.strict = true;
    ValidateOptions bounded;
    bounded.maxIssues = 3;
    for (const Case& entry : cases()) {
        for (const ValidateOptions& options : {ValidateOptions{}, strict, bounded}) {
            SCOPED_TRACE(entry.name + (options.strict ? " strict" : "") +
                         (options.maxIssues != 0 ? " bounded" : ""));
            const nlohmann::json value = nlohmann::json::parse(entry.text);
            EXPECT_EQ(Differential::judgementDifference(entry.schemaId, value, options), "");
        }
    }
}

// validateText on a string adds the fixes that a check of its document and
// addFixes give.
TEST(ValidateJson, FixesOfAStringCheckAreTheDocumentsFixes) {
    ValidateOptions strict;
    strict.strict = true;
    ParsedText parsed = parseText(kBridges);
    ValidationResult expected = validateText("BridgingConfiguration", parsed, strict);
    addFixes(expected, parsed);
    const ValidationResult actual = validateText("BridgingConfiguration", kBridges, strict);
    EXPECT_EQ(Differential::describeResult(actual), Differential::describeResult(expected));
    EXPECT_NE(Differential::describeResult(actual).find("  fix "), std::string::npos);
}

}  // namespace
}  // namespace OrvexConfigValidate
