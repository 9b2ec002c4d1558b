#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "Check.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

class Check : public ::testing::Test {
  protected:
    std::string write(const std::string& name, const std::string& text) {
        const std::string path = ::testing::TempDir() + "check_" + name;
        std::ofstream(path, std::ios::binary) << text;
        written_.push_back(path);
        return path;
    }
    void TearDown() override {
        for (const auto& path : written_) std::remove(path.c_str());
    }
    std::vector<std::string> written_;
};

const std::string kServerMode2 = "{\"mode\": 2,\n \"enginePolicy\": {}}";
const std::string kRawGroup =
    "{\"groups\": [\n  {\"id\": \"r\", \"type\": 3, \"rx\": {\"p\": 1}}]}";

TEST_F(Check, PairAppliesTheServerModeAndSplitsIssuesByFile) {
    const auto server = write("s.json", kServerMode2);
    const auto bridges = write("b.json", kRawGroup);
    std::istringstream in;
    const Report report = runChecks({{"Obs", {server, bridges}, true}}, ValidateOptions{}, in);
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
    std::istringstream in;
    const Report report =
        runChecks({{"BridgingConfiguration", {bridges}, false}}, ValidateOptions{}, in);
    EXPECT_TRUE(report.diagnostics.empty());
    EXPECT_EQ(exitStatus(report), 0);
}

TEST_F(Check, FlagsDecideWhetherNotesAndWarningsFail) {
    // Mode 2 with an audio group whose output mode is not 2 and that has no
    // networking: one note, one warning, no error.
    const auto pair = write("p.json",
                            "{\"server\": {\"mode\": 2, \"enginePolicy\": {}}, \"bridges\": "
                            "{\"groups\": [{\"id\": \"a\", \"type\": 1}]}}");
    std::istringstream in;
    ValidateOptions options;
    EXPECT_EQ(exitStatus(runChecks({{"Obs", {pair}, false}}, options, in)), 0);
    options.failOnInfo = true;
    EXPECT_EQ(exitStatus(runChecks({{"Obs", {pair}, false}}, options, in)), 1);
    options = ValidateOptions{};
    options.failOnWarning = true;
    const Report report = runChecks({{"Obs", {pair}, false}}, options, in);
    EXPECT_EQ(exitStatus(report), 1);
    ASSERT_EQ(report.diagnostics.size(), 2u);
    EXPECT_EQ(report.diagnostics[0].path, "/bridges/groups/0");
}

TEST_F(Check, UnreadablePairMemberLeavesTheOtherCheckedAlone) {
    const auto bridges = write("b.json", kRawGroup);
    const auto server = write("s.json", "{\"mode\": 2}");
    std::istringstream in;
    Report report =
        runChecks({{"Obs", {"/nonexistent/s.json", bridges}, true}}, ValidateOptions{}, in);
    ASSERT_EQ(report.files.size(), 2u);
    EXPECT_TRUE(report.files[0].unreadable);
    EXPECT_TRUE(report.files[1].ok);  // mode 3 is assumed without the server file
    EXPECT_EQ(report.diagnostics.size(), 1u);
    EXPECT_EQ(exitStatus(report), 2);

    report = runChecks({{"Obs", {server, "/nonexistent/b.json"}, true}}, ValidateOptions{}, in);
    ASSERT_EQ(report.diagnostics.size(), 2u);
    EXPECT_EQ(report.diagnostics[1].code, "schema");  // no enginePolicy
    EXPECT_EQ(report.diagnostics[1].file, 0u);
    EXPECT_EQ(report.diagnostics[1].path, "/");
}

TEST_F(Check, LaterUnitsAreCheckedAfterAParseError) {
    const auto bad = write("bad.json", "{\"groups\": [],}");
    const auto good = write("good.json", "{\"groups\": []}");
    std::istringstream in("{\"id\": \"g\", \"type\": 1, \"tx\": {\"a\": 1}}");
    const Report report = runChecks({{"BridgingConfiguration", {bad}, false},
                                     {"BridgingConfiguration", {good}, false},
                                     {"Group", {"-"}, false}},
                                    ValidateOptions{}, in);
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

}  // namespace
}  // namespace OrvexConfigValidate::Tool
