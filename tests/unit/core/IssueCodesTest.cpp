#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate {
namespace {

std::string severityWord(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return "error";
        case Severity::Warning:
            return "warning";
        default:
            return "info";
    }
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The rows of the code table in docs/issue-codes.md (code, severity, path,
// meaning), as "code|severity|meaning".
std::vector<std::string> documentedRows() {
    std::ifstream in(ORVEX_ISSUE_CODES_DOC);
    EXPECT_TRUE(in.good()) << ORVEX_ISSUE_CODES_DOC;
    std::vector<std::string> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("| `", 0) != 0) continue;
        std::vector<std::string> cells;
        std::istringstream cellsIn(line.substr(1));
        for (std::string cell; std::getline(cellsIn, cell, '|');) cells.push_back(trimmed(cell));
        EXPECT_EQ(cells.size(), 4u) << line;
        if (cells.size() != 4) continue;
        // The path column describes where the issue points; it is not in the table.
        const std::string code = cells[0].substr(1, cells[0].size() - 2);  // without backticks
        rows.push_back(code + "|" + cells[1] + "|" + cells[3]);
    }
    return rows;
}

TEST(IssueCodes, DocumentedTableIsTheLibraryTable) {
    std::vector<std::string> expected;
    for (const auto& info : issueCodes()) {
        expected.push_back(std::string(info.code) + "|" + severityWord(info.severity) + "|" +
                           std::string(info.summary));
    }
    EXPECT_EQ(documentedRows(), expected);
}

TEST(IssueCodes, EveryEntryIsCompleteAndFoundByItsCode) {
    std::set<std::string_view> codes;
    for (const auto& info : issueCodes()) {
        EXPECT_TRUE(codes.insert(info.code).second) << "repeated code " << info.code;
        EXPECT_FALSE(info.summary.empty() || info.explanation.empty() || info.impact.empty() ||
                     info.fix.empty())
            << info.code;
        for (const char c : info.code) EXPECT_TRUE((c >= 'a' && c <= 'z') || c == '_') << info.code;
        EXPECT_EQ(describeIssueCode(info.code), &info);
    }
    EXPECT_EQ(describeIssueCode(""), nullptr);
    EXPECT_EQ(describeIssueCode("Schema"), nullptr);
    EXPECT_EQ(describeIssueCode("schema "), nullptr);
}

// Documents that draw every code the library raises (strict mode included);
// each code must be in the table with the severity it is raised with.
TEST(IssueCodes, CodesTheLibraryRaisesAreInTheTable) {
    const nlohmann::json bridges = nlohmann::json::parse(R"({
      "groups": [
        {"id": "a", "type": 3},
        {"id": "a", "type": 1, "vortapoints": [{}], "bridgeTargetOutputDetail": {"mode": 2}},
        {"id": "c", "type": 1, "bridgeTargetOutputDetail": {"mode": 0}, "rx": {"p": 1}},
        {"id": "d", "type": "x", "enabeld": true}
      ],
      "bridges": [{"id": "b"}, {"id": "c", "groups": ["zz", "A"]}]
    })");
    std::vector<ValidationResult> results;
    ValidateOptions strict;
    strict.strict = true;
    results.push_back(validate("BridgingConfiguration", bridges, strict));
    for (int mode = 0; mode <= 2; ++mode) {
        results.push_back(
            validate("Obs", {{"server", {{"mode", mode}}}, {"bridges", bridges}}, {}));
    }
    results.push_back(validate("", bridges, {}));
    results.push_back(validate("NoSuchSchema", bridges, {}));
    std::set<std::string> seen;
    for (const auto& result : results) {
        for (const auto& issue : result.issues) {
            seen.insert(issue.code);
            const IssueCodeInfo* info = describeIssueCode(issue.code);
            ASSERT_NE(info, nullptr) << issue.code << " is not in the table";
            EXPECT_EQ(info->severity, issue.severity) << issue.code;
        }
    }
    for (const char* code : {"invalid_parameters", "unknown_schema", "schema", "duplicate_group_id",
                             "mode_requires_audio_group", "bom_type_mismatch", "mode_force_raw",
                             "mode_force_multistream", "mode_force_mixed", "group_no_networking",
                             "bridge_empty_groups", "missing_group_ref"}) {
        EXPECT_EQ(seen.count(code), 1u) << code << " was not raised by these documents";
    }
}

}  // namespace
}  // namespace OrvexConfigValidate
