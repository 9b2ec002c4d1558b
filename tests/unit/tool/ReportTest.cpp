#include <gtest/gtest.h>

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

TEST(TextReport, OneLinePerIssueThenSummary) {
    EXPECT_EQ(formatText(sample(), false),
              "conf/bridges.json:12:5: error: Duplicate group id 'a' [duplicate_group_id]\n"
              "conf/bridges.json:12:5: warning: no net [group_no_networking]\n"
              "conf/bridges.json:3:5: note: forced [mode_force_mixed]\n"
              "2 files checked: 1 error, 1 warning, 1 note\n");
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
              "\033[1mconf/bridges.json:12:5:\033[0m \033[1;31merror:\033[0m Duplicate group id "
              "'a' [duplicate_group_id]\n2 files checked: 1 error, 0 warnings, 0 notes\n");
}

TEST(JsonReport, FilesWithTheirIssuesAndSummary) {
    Report report = sample();
    report.diagnostics.push_back(
        {0, Severity::Error, "", "parse_error", "bad", TextPosition{1, 2}});
    const auto json = formatJson(report);
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
