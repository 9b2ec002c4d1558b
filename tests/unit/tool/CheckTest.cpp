#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Check.hpp"
#include "FileFixture.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

class Check : public FileFixture {
  protected:
    Check() : FileFixture("check_") {}
};

CheckOptions withOptions(const ValidateOptions& validate) {
    CheckOptions options;
    options.validate = validate;
    options.standardInput = -1;
    return options;
}

const std::string kServerMode2 = "{\"mode\": 2,\n \"enginePolicy\": {}}";
const std::string kRawGroup =
    "{\"groups\": [\n  {\"id\": \"r\", \"type\": 3, \"rx\": {\"p\": 1}}]}";

TEST_F(Check, PairAppliesTheServerModeAndSplitsIssuesByFile) {
    const auto server = write("s.json", kServerMode2);
    const auto bridges = write("b.json", kRawGroup);
    const Report report =
        runChecks({{"Obs", {server, bridges}, true}}, withOptions(ValidateOptions{}));
    ASSERT_EQ(report.files.size(), 2u);
    EXPECT_EQ(report.files[0].schemaId, "BridgingServerConfiguration");
    EXPECT_TRUE(report.files[0].ok);
    EXPECT_EQ(report.files[1].schemaId, "BridgingConfiguration");
    EXPECT_FALSE(report.files[1].ok);
    ASSERT_EQ(report.diagnostics.size(), 2u);
    EXPECT_EQ(report.diagnostics[0].code, "mode_requires_audio_group");
    EXPECT_EQ(report.diagnostics[0].file, 1u);
    EXPECT_EQ(report.diagnostics[0].path, "/groups/0");
    EXPECT_EQ(report.diagnostics[0].position, (TextPosition{2, 3}));
    EXPECT_EQ(report.diagnostics[1].code, "mode_force_mixed");
    EXPECT_EQ(exitStatus(report), 1);
}

TEST_F(Check, SameBridgesFileAloneIsJudgedUnderModeThree) {
    const auto bridges = write("b.json", kRawGroup);
    const Report report =
        runChecks({{"BridgingConfiguration", {bridges}, false}}, withOptions(ValidateOptions{}));
    EXPECT_TRUE(report.diagnostics.empty());
    EXPECT_EQ(exitStatus(report), 0);
}

TEST_F(Check, FlagsDecideWhetherNotesAndWarningsFail) {
    // Mode 2 with an audio group whose output mode is not 2 and that has no
    // networking: one note, one warning, no error.
    const auto pair = write("p.json",
                            "{\"server\": {\"mode\": 2, \"enginePolicy\": {}}, \"bridges\": "
                            "{\"groups\": [{\"id\": \"a\", \"type\": 1}]}}");
    ValidateOptions options;
    EXPECT_EQ(exitStatus(runChecks({{"Obs", {pair}, false}}, withOptions(options))), 0);
    options.failOnInfo = true;
    EXPECT_EQ(exitStatus(runChecks({{"Obs", {pair}, false}}, withOptions(options))), 1);
    options = ValidateOptions{};
    options.failOnWarning = true;
    const Report report = runChecks({{"Obs", {pair}, false}}, withOptions(options));
    EXPECT_EQ(exitStatus(report), 1);
    ASSERT_EQ(report.diagnostics.size(), 2u);
    EXPECT_EQ(report.diagnostics[0].path, "/bridges/groups/0");
}

TEST_F(Check, UnreadablePairMemberLeavesTheOtherCheckedAlone) {
    const auto bridges = write("b.json", kRawGroup);
    const auto server = write("s.json", "{\"mode\": 2}");
    Report report = runChecks({{"Obs", {"/nonexistent/s.json", bridges}, true}},
                              withOptions(ValidateOptions{}));
    ASSERT_EQ(report.files.size(), 2u);
    EXPECT_TRUE(report.files[0].unreadable);
    EXPECT_TRUE(report.files[1].ok);  // mode 3 is assumed without the server file
    EXPECT_EQ(report.diagnostics.size(), 1u);
    EXPECT_EQ(exitStatus(report), 2);

    report =
        runChecks({{"Obs", {server, "/nonexistent/b.json"}, true}}, withOptions(ValidateOptions{}));
    ASSERT_EQ(report.diagnostics.size(), 2u);
    // Sorted by file: the server's own issue before the bridges' read error.
    EXPECT_EQ(report.diagnostics[0].code, "schema");  // no enginePolicy
    EXPECT_EQ(report.diagnostics[0].file, 0u);
    EXPECT_EQ(report.diagnostics[0].path, "/");
    EXPECT_EQ(report.diagnostics[1].code, "read_error");
}

TEST_F(Check, LaterUnitsAreCheckedAfterAParseError) {
    const auto bad = write("bad.json", "{\"groups\": [],}");
    const auto good = write("good.json", "{\"groups\": []}");
    const auto group = write("group.json", "{\"id\": \"g\", \"type\": 1, \"tx\": {\"a\": 1}}");
    CheckOptions options = withOptions(ValidateOptions{});
    options.standardInput = open(group.c_str(), O_RDONLY);
    const Report report = runChecks({{"BridgingConfiguration", {bad}, false},
                                     {"BridgingConfiguration", {good}, false},
                                     {"Group", {"-"}, false}},
                                    options);
    close(options.standardInput);
    ASSERT_EQ(report.files.size(), 3u);
    EXPECT_TRUE(report.files[0].unreadable);
    EXPECT_TRUE(report.files[1].ok);
    EXPECT_EQ(report.files[2].name, "<stdin>");
    ASSERT_EQ(report.diagnostics.size(), 2u);
    EXPECT_EQ(report.diagnostics[0].position, (TextPosition{1, 15}));
    // Under the assumed mode 3 an audio group with no output mode is bomRaw.
    EXPECT_EQ(report.diagnostics[1].code, "bom_type_mismatch");
    EXPECT_EQ(report.diagnostics[1].file, 2u);
    EXPECT_EQ(report.diagnostics[1].path, "/");
    EXPECT_EQ(report.diagnostics[1].position, (TextPosition{1, 1}));
}

TEST_F(Check, DiagnosticsAreSortedByFileThenPosition) {
    const auto bridges = write("sorted.json",
                               "{\"groups\": [\n"
                               "  {\"id\": \"a\", \"type\": 1, \"tx\": {\"p\": 1}},\n"
                               "  {\"id\": \"a\", \"type\": \"x\"}\n"
                               "],\n"
                               "\"bridges\": [{\"groups\": [\"nope\"]}]}");
    const Report report =
        runChecks({{"BridgingConfiguration", {bridges}, false}}, withOptions(ValidateOptions{}));
    ASSERT_GE(report.diagnostics.size(), 4u);
    for (std::size_t i = 1; i < report.diagnostics.size(); ++i) {
        const auto& before = *report.diagnostics[i - 1].position;
        const auto& after = *report.diagnostics[i].position;
        EXPECT_TRUE(before.line < after.line ||
                    (before.line == after.line && before.column <= after.column))
            << i;
    }
    // Equal places keep the library's order: the duplicate before the
    // group's other rules.
    std::vector<std::string> lineThree;
    for (const auto& d : report.diagnostics) {
        if (d.position->line == 3 && d.position->column == 3) lineThree.push_back(d.code);
    }
    ASSERT_GE(lineThree.size(), 2u);
    EXPECT_EQ(lineThree[0], "duplicate_group_id");
    const auto duplicate =
        std::find_if(report.diagnostics.begin(), report.diagnostics.end(),
                     [](const Diagnostic& d) { return d.code == "duplicate_group_id"; });
    ASSERT_TRUE(duplicate->related.has_value());
    EXPECT_EQ(*duplicate->related, (TextPosition{2, 3}));
}

TEST_F(Check, StrictModeReachesTheLibraryAndKeepsTheHint) {
    const auto bridges = write("strict.json",
                               "{\"groups\": [{\"id\": \"g1\", \"type\": 3, \"tx\": {\"p\": 1}}],\n"
                               " \"bridges\": [{\"groups\": [\"G1\"]}]}");
    ValidateOptions strict;
    strict.strict = true;
    const Report report =
        runChecks({{"BridgingConfiguration", {bridges}, false}}, withOptions(strict));
    const auto missing =
        std::find_if(report.diagnostics.begin(), report.diagnostics.end(),
                     [](const Diagnostic& d) { return d.code == "missing_group_ref"; });
    ASSERT_NE(missing, report.diagnostics.end());
    EXPECT_EQ(missing->hint, "did you mean \"g1\"?");
    EXPECT_EQ(missing->path, "/bridges/0/groups/0");
}

TEST_F(Check, KeptDocumentsAreThoseOfTheLastUnit) {
    const auto first = write("first.json", "{\"groups\": []}");
    const auto second = write("second.json", "{\"groups\": [], \"bridges\": []}");
    KeptDocuments kept;
    runChecks(
        {{"BridgingConfiguration", {first}, false}, {"BridgingConfiguration", {second}, false}},
        withOptions(ValidateOptions{}), &kept);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(kept[0].root().member("bridges").exists());
}

TEST_F(Check, TrailingBytesAfterNulAreAParseError) {
    const auto path = write("nul.json", std::string("{\"groups\": []}\0{\"x\": 1}", 24));
    const Report report =
        runChecks({{"BridgingConfiguration", {path}, false}}, withOptions(ValidateOptions{}));
    ASSERT_EQ(report.diagnostics.size(), 1u);
    EXPECT_EQ(report.diagnostics[0].code, "parse_error");
    EXPECT_EQ(report.diagnostics[0].position, (TextPosition{1, 15}));
    EXPECT_EQ(exitStatus(report), 2);
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
