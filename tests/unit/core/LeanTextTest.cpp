// A text read lean is checked on its lean document: the same result, issue
// for issue and place for place, as the check of its nlohmann document, and
// its document is never read for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <orvexconfigvalidate/LeanText.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Fixture.hpp"
#include "LeanCompare.hpp"
#include "json/ParsedTextAccess.hpp"

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
    std::string schemaId;  // empty: a pair
    std::string server;
    std::string text;
};

std::vector<Case> cases() {
    const auto fixture = [](const char* file) {
        return readTextFile(std::string(kFixtureDir) + "/" + file);
    };
    return {
        {"bridges", "BridgingConfiguration", "", kBridges},
        {"group", "Group", "", R"({"id": "a", "type": 9, "id": "b", "tx": [1, {"x": -0.0}]})"},
        {"scalar root", "BridgingConfiguration", "", "[1, 2, 3e5]"},
        {"pair", "", R"({"mode": 2, "id": 5, "mdoe": 1})", kBridges},
        {"pair of fixtures", "", fixture("invalid_mode2_server.json"),
         fixture("invalid_mode2_raw_group.json")},
        {"valid pair", "", fixture("valid_server.json"), fixture("valid_bridges.json")},
        {"server not an object", "", "[1]", R"({"groups": []})"},
        {"server unreadable", "", R"({"mode": 2,)", kBridges},
        {"bridges unreadable", "", R"({"mode": 2})", "[1,]"},
    };
}

ValidationResult check(const Case& entry, ParsedText& server, ParsedText& text,
                       const ValidateOptions& options) {
    return entry.schemaId.empty() ? validateTextPair(server, text, options)
                                  : validateText(entry.schemaId, text, options);
}

TEST(LeanText, ChecksAsTheDocumentDoesWithoutReadingIt) {
    ValidateOptions strict;
    strict.strict = true;
    ValidateOptions bounded;
    bounded.maxIssues = 3;
    for (const Case& entry : cases()) {
        for (const ValidateOptions& options : {ValidateOptions{}, strict, bounded}) {
            SCOPED_TRACE(entry.name + (options.strict ? " strict" : "") +
                         (options.maxIssues != 0 ? " bounded" : ""));
            ParsedText server = parseText(entry.server);
            ParsedText text = parseText(entry.text);
            const ValidationResult expected = check(entry, server, text, options);

            ParsedText leanServer = parseTextLean(entry.server);
            ParsedText leanText = parseTextLean(entry.text);
            const ValidationResult actual = check(entry, leanServer, leanText, options);
            EXPECT_EQ(LeanCompare::describeResult(actual), LeanCompare::describeResult(expected));
            // A text that reads keeps its document unread.
            for (const ParsedText* parsed : {&leanServer, &leanText}) {
                const auto& parts = ParsedTextAccess::parts(*parsed);
                EXPECT_EQ(parts.leanOnly() != nullptr, parts.ok);
            }
        }
    }
}

// validateText on a string reads it lean: the fixes it adds (which read the
// document) are those of the document's check.
TEST(LeanText, FixesOfAStringCheckAreTheDocumentsFixes) {
    ValidateOptions strict;
    strict.strict = true;
    ParsedText parsed = parseText(kBridges);
    ValidationResult expected = validateText("BridgingConfiguration", parsed, strict);
    addFixes(expected, parsed, kBridges);
    const ValidationResult actual = validateText("BridgingConfiguration", kBridges, strict);
    EXPECT_EQ(LeanCompare::describeResult(actual), LeanCompare::describeResult(expected));
    EXPECT_NE(LeanCompare::describeResult(actual).find("  fix "), std::string::npos);
}

}  // namespace
}  // namespace OrvexConfigValidate
