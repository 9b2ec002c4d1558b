#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "Report.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

Report sample() {
    Report report;
    report.files = {{"conf/orvexbridged_conf.json", "BridgingServerConfiguration", true, false},
                    {"conf/bridges.json", "BridgingConfiguration", false, false}};
    report.diagnostics = {
        {1, Severity::Error, "/groups/1", "duplicate_group_id", "Duplicate group id 'a'",
         TextPosition{12, 5}},
        {1, Severity::Warning, "/groups/1", "group_no_networking", "no net", TextPosition{12, 5}},
        {1, Severity::Info, "/groups/0", "mode_force_mixed", "forced", TextPosition{3, 5}},
    };
    return report;
}

TEST(TextReport, OneLinePerIssueWithItsPointerThenSummary) {
    EXPECT_EQ(formatText(sample(), false),
              "conf/bridges.json:12:5: error: /groups/1: Duplicate group id 'a' "
              "[duplicate_group_id]\n"
              "conf/bridges.json:12:5: warning: /groups/1: no net [group_no_networking]\n"
              "conf/bridges.json:3:5: note: /groups/0: forced [mode_force_mixed]\n"
              "2 files checked: 1 error, 1 warning, 1 note\n");
}

TEST(TextReport, WholeFileIssuesHaveNoPointerAndHintsFollowTheMessage) {
    Report report;
    report.files = {{"b.json", "BridgingConfiguration", false, false}};
    report.diagnostics = {{0, Severity::Error, "/", "schema", "not an object", TextPosition{1, 1}},
                          {0, Severity::Error, "/bridges/0/groups/0", "missing_group_ref",
                           "Bridge references group id 'G1' which has no definition",
                           TextPosition{2, 20}, "did you mean \"g1\"?"}};
    EXPECT_EQ(formatText(report, false),
              "b.json:1:1: error: not an object [schema]\n"
              "b.json:2:20: error: /bridges/0/groups/0: Bridge references group id 'G1' which "
              "has no definition (did you mean \"g1\"?) [missing_group_ref]\n"
              "1 file checked: 2 errors, 0 warnings, 0 notes\n");
}

TEST(TextReport, TextFromFilesCannotForgeLinesOrDriveTheTerminal) {
    Report report;
    report.files = {{"evil\nx.json:1:1: error: forged\xff", "Group", false, false}};
    report.diagnostics = {{0, Severity::Error, "/id", "schema", "id '\x1b]0;pwned\x07' bad",
                           TextPosition{1, 8}, "did you mean \"\x1b[2J\"?"}};
    const std::string text = formatText(report, false);
    EXPECT_EQ(text,
              "evil\\u000ax.json:1:1: error: forged\\xff:1:8: error: /id: id "
              "'\\u001b]0;pwned\\u0007' bad (did you mean \"\\u001b[2J\"?) [schema]\n"
              "1 file checked: 1 error, 0 warnings, 0 notes\n");
}

TEST(SortDiagnostics, ByFileLineColumnStable) {
    Report report;
    report.files = {{"a", "Group", true, false}, {"b", "Group", true, false}};
    report.diagnostics = {{1, Severity::Error, "", "c1", "m", TextPosition{1, 1}},
                          {0, Severity::Error, "", "c2", "m", TextPosition{66, 22}},
                          {0, Severity::Error, "", "c3", "m", TextPosition{19, 82}},
                          {0, Severity::Error, "", "c4", "m", TextPosition{19, 5}},
                          {0, Severity::Error, "", "c5", "m", TextPosition{19, 5}},
                          {0, Severity::Error, "", "c6", "m", std::nullopt}};
    sortDiagnostics(report);
    std::string order;
    for (const auto& d : report.diagnostics) order += d.code + " ";
    EXPECT_EQ(order, "c6 c4 c5 c3 c2 c1 ");
}

TEST(TextReport, PluralsAndMissingPosition) {
    Report report;
    report.files = {{"x.json", "Group", false, true}};
    report.diagnostics = {{0, Severity::Error, "", "read_error", "cannot read file: gone", {}}};
    EXPECT_EQ(formatText(report, false),
              "x.json: error: cannot read file: gone [read_error]\n"
              "1 file checked: 1 error, 0 warnings, 0 notes\n");
}

TEST(TextReport, ColourWrapsLocationAndSeverityOnly) {
    Report report = sample();
    report.diagnostics.resize(1);
    EXPECT_EQ(formatText(report, true),
              "\033[1mconf/bridges.json:12:5:\033[0m \033[1;31merror:\033[0m /groups/1: "
              "Duplicate group id 'a' [duplicate_group_id]\n2 files checked: 1 error, 0 "
              "warnings, 0 notes\n");
}

TEST(JsonReport, FilesWithTheirIssuesAndSummary) {
    Report report = sample();
    report.diagnostics.push_back(
        {0, Severity::Error, "", "parse_error", "bad", TextPosition{1, 2}});
    const auto json = nlohmann::ordered_json::parse(formatJsonText(report));
    ASSERT_EQ(json["files"].size(), 2u);
    EXPECT_EQ(json["files"][0]["file"], "conf/orvexbridged_conf.json");
    EXPECT_EQ(json["files"][0]["schema"], "BridgingServerConfiguration");
    EXPECT_EQ(json["files"][0]["ok"], true);
    EXPECT_EQ(json["files"][0]["issues"][0]["path"], nullptr);
    EXPECT_EQ(json["files"][1]["ok"], false);
    const auto& issues = json["files"][1]["issues"];
    ASSERT_EQ(issues.size(), 3u);
    EXPECT_EQ(issues[0].dump(),
              R"({"severity":"error","path":"/groups/1","code":"duplicate_group_id",)"
              R"("message":"Duplicate group id 'a'","line":12,"column":5})");
    EXPECT_EQ(issues[1]["severity"], "warning");
    EXPECT_EQ(issues[2]["severity"], "info");
    EXPECT_EQ(json["summary"].dump(), R"({"files":2,"errors":2,"warnings":1,"info":1})");

    report.diagnostics[0].hint = "did you mean \"x\"?";
    report.diagnostics[0].related = TextPosition{4, 2};
    const auto withExtras =
        nlohmann::ordered_json::parse(formatJsonText(report))["files"][1]["issues"][0];
    EXPECT_EQ(withExtras["hint"], "did you mean \"x\"?");
    EXPECT_EQ(withExtras["related"].dump(), R"({"line":4,"column":2})");
}

// Names and ids are written as the text report writes them: valid UTF-8,
// and a byte that is not UTF-8 keeps its value instead of becoming U+FFFD.
TEST(JsonReport, TextIsValidUtf8WhateverTheNames) {
    Report report;
    report.files = {{"caf\xE9\n.json", "Group", false, false}};
    report.diagnostics = {
        {0, Severity::Error, "/id", "schema", "id '\x1b[2J' bad", TextPosition{1, 8}}};
    const std::string text = formatJsonText(report);
    EXPECT_NE(text.find(R"("caf\\xe9\\u000a.json")"), std::string::npos) << text;
    EXPECT_NE(text.find(R"(id '\\u001b[2J' bad)"), std::string::npos) << text;
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(nlohmann::json::parse(text)["files"][0]["issues"][0]["line"], 1);
}

TEST(ExitStatus, UnreadableBeatsNotOk) {
    Report report = sample();
    EXPECT_EQ(exitStatus(report), 1);
    report.files[1].ok = true;
    EXPECT_EQ(exitStatus(report), 0);
    report.files[0].unreadable = true;
    EXPECT_EQ(exitStatus(report), 2);
    EXPECT_EQ(exitStatus(Report{}), 0);
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
