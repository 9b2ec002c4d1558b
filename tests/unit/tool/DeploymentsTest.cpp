#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Arguments.hpp"
#include "DeploymentCases.hpp"
#include "Deployments.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

namespace fs = std::filesystem;

// A scratch folder tree, removed at the end of the test.
class DeploymentTree : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvex-deployments-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(root + "/locked", fs::perms::owner_all, ec);
        fs::remove_all(root, ec);
    }
    void write(const std::string& relative, const std::string& text) const {
        const fs::path path = fs::path(root) / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
    // Each unit as "ID: path[, path]" relative to the root.
    std::vector<std::string> units(const DeploymentSearch& search) const {
        std::vector<std::string> out;
        for (const auto& unit : search.units) {
            std::string line = unit.schemaId + ":";
            for (const auto& path : unit.paths) {
                line += " " + fs::path(path).lexically_relative(root).generic_string();
            }
            out.push_back(line);
        }
        return out;
    }
    std::string root;
};

const char* const kServer = R"({"mode": 3, "enginePolicy": {}})";
const char* const kBridges = R"({"groups": []})";

TEST_F(DeploymentTree, EachCaseOfTheSharedTableIsPairedAsTheEditorPairsIt) {
    for (const auto& c : Testing::deploymentCases()) {
        const std::string folder = Testing::writeDeploymentCase(root, c);
        CheckOptions options;
        const Report report =
            runPlan(planInputs(parseArguments({folder}).commandLine, schemaIds()), options);
        bool audio = false;
        bool missing = false;
        for (const auto& d : report.diagnostics) {
            audio = audio || d.code == IssueCode::kModeRequiresAudioGroup;
            missing = missing || d.code == IssueCode::kMissingBridgesFile;
        }
        EXPECT_EQ(audio, c.paired) << c.name;
        EXPECT_EQ(missing, !c.paired) << c.name;
        // Nothing outside the folder is read: no entry names such a file.
        for (const auto& file : report.files) {
            EXPECT_EQ(file.name.find("outside"), std::string::npos) << c.name;
            EXPECT_EQ(file.name.find("target"), std::string::npos) << c.name;
        }
        std::error_code ec;
        fs::remove_all(root, ec);
        fs::create_directories(root);
    }
}

TEST_F(DeploymentTree, CodePointColumnsAreCountedForFolders) {
    // "\u00e9" written as two bytes before the value: the SARIF column is one less.
    write("d/orvexbridged_conf.json", "{\"x\u00e9\": 1, \"mode\": \"one\", \"enginePolicy\": {}}");
    write("d/bridges.json", kBridges);
    CheckOptions options;
    options.countCharacters = true;
    const Report report =
        runPlan(planInputs(parseArguments({root + "/d"}).commandLine, schemaIds()), options);
    bool seen = false;
    for (const auto& d : report.diagnostics) {
        if (d.path != "/mode" || !d.position) continue;
        seen = true;
        EXPECT_EQ(d.position->characterColumn + 1, d.position->column);
    }
    EXPECT_TRUE(seen);
}

TEST_F(DeploymentTree, ALinkToTheRootIsNotFollowed) {
    write("d/orvexbridged_conf.json", kServer);
    write("d/bridges.json", kBridges);
    fs::create_directory_symlink("/", fs::path(root) / "d" / "root");
    const DeploymentSearch search = findDeployments(root);
    EXPECT_EQ(units(search), std::vector<std::string>{"Obs: d/orvexbridged_conf.json"});
    ASSERT_EQ(search.skippedLinks.size(), 1u);
    EXPECT_NE(search.skippedLinks[0].find("root"), std::string::npos);
}

TEST_F(DeploymentTree, ABridgesNameThatClimbsOutIsNeverRead) {
    write(
        "d/orvexbridged_conf.json",
        R"({"mode": 3, "enginePolicy": {}, "bridgingConfigurationFileName": "../../../../etc/passwd"})");
    CheckOptions options;
    const Report report =
        runPlan(planInputs(parseArguments({root + "/d"}).commandLine, schemaIds()), options);
    ASSERT_EQ(report.files.size(), 1u);
    bool refused = false;
    for (const auto& d : report.diagnostics) {
        if (d.code == IssueCode::kMissingBridgesFile) {
            refused = true;
            EXPECT_NE(d.message.find("outside the server file's folder"), std::string::npos);
            EXPECT_EQ(d.path, "/bridgingConfigurationFileName");
        }
    }
    EXPECT_TRUE(refused);
}

TEST_F(DeploymentTree, NestedDeploymentsInSortedOrder) {
    write("b/orvexbridged_conf.json", kServer);
    write("b/bridges.json", kBridges);
    write("b/lab/bridges.json", kBridges);
    write("a/bridges.json", kBridges);
    write("a/B/bridges.json", kBridges);
    write("c/notes.txt", "not a configuration");
    const DeploymentSearch search = findDeployments(root);
    EXPECT_EQ(
        units(search),
        (std::vector<std::string>{
            "BridgingConfiguration: a/bridges.json", "BridgingConfiguration: a/B/bridges.json",
            "Obs: b/orvexbridged_conf.json", "BridgingConfiguration: b/lab/bridges.json"}));
    EXPECT_EQ(search.deployments, 4u);
    EXPECT_TRUE(search.issues.empty());
}

TEST_F(DeploymentTree, NamedBridgesFileIsCheckedOnceWithItsServer) {
    // The server names a file in a subfolder, which would otherwise be a
    // deployment of its own; the bridges.json beside the server is not read.
    write("site/orvexbridged_conf.json",
          R"({"bridgingConfigurationFileName": "conf/bridges.json", "enginePolicy": {}})");
    write("site/conf/bridges.json", kBridges);
    write("site/bridges.json", kBridges);
    const DeploymentSearch search = findDeployments(root);
    EXPECT_EQ(units(search), (std::vector<std::string>{"Obs: site/orvexbridged_conf.json"}));
}

TEST_F(DeploymentTree, MissingBridgesFileIsAnIssueAtTheMember) {
    write("s/orvexbridged_conf.json",
          "{\n  \"enginePolicy\": {},\n  \"bridgingConfigurationFileName\": \"nope.json\"\n}\n");
    write("t/orvexbridged_conf.json", kServer);
    CheckOptions options;
    const Report report =
        runPlan(planInputs(parseArguments({root}).commandLine, schemaIds()), options);
    std::vector<const Diagnostic*> missing;
    for (const auto& d : report.diagnostics) {
        if (d.code == IssueCode::kMissingBridgesFile) missing.push_back(&d);
    }
    ASSERT_EQ(missing.size(), 2u);
    const Diagnostic& named = *missing[0];
    EXPECT_EQ(report.files[named.file].name, root + "/s/orvexbridged_conf.json");
    ASSERT_TRUE(named.position.has_value());
    EXPECT_EQ(named.position->line, 3u);
    EXPECT_EQ(named.position->column, 36u);
    EXPECT_EQ(named.path, "/bridgingConfigurationFileName");
    EXPECT_NE(named.message.find("\"nope.json\""), std::string::npos) << named.message;
    // Without the member the server reads bridges.json; the issue sits at the document.
    const Diagnostic& absent = *missing[1];
    EXPECT_EQ(absent.path, "/");
    EXPECT_NE(absent.message.find("t/bridges.json"), std::string::npos) << absent.message;
}

TEST_F(DeploymentTree, UnparsableServerFileIsLeftToTheCheck) {
    write("s/orvexbridged_conf.json", "{\"mode\": ");
    write("s/bridges.json", kBridges);
    write("u/orvexbridged_conf.json", "[1,");
    const DeploymentSearch search = findDeployments(root);
    EXPECT_EQ(units(search), (std::vector<std::string>{"Obs: s/orvexbridged_conf.json",
                                                       "Obs: u/orvexbridged_conf.json"}));
    EXPECT_TRUE(search.issues.empty());
}

TEST_F(DeploymentTree, ServerFileThatIsNoRegularFileIsNotReadBySearch) {
    // Reading a FIFO would block until a writer comes; the check reports it instead.
    fs::create_directories(root + "/f");
    ASSERT_EQ(::mkfifo((root + "/f/orvexbridged_conf.json").c_str(), 0600), 0);
    write("f/bridges.json", kBridges);
    const DeploymentSearch search = findDeployments(root);
    EXPECT_EQ(units(search), (std::vector<std::string>{"Obs: f/orvexbridged_conf.json"}));
}

TEST_F(DeploymentTree, SymbolicLinkLoopsAndHiddenFoldersAreNotFollowed) {
    write("a/bridges.json", kBridges);
    write(".git/bridges.json", kBridges);
    fs::create_directory_symlink("..", fs::path(root) / "a" / "up");
    fs::create_directory_symlink(root + "/a", fs::path(root) / "alias");
    const DeploymentSearch search = findDeployments(root);
    // "alias" leads to "a", already searched; "up" leads back to the root.
    EXPECT_EQ(units(search), (std::vector<std::string>{"BridgingConfiguration: a/bridges.json"}));
}

TEST_F(DeploymentTree, EmptyAndUnreadableFolders) {
    write("docs/readme.txt", "x");
    DeploymentSearch search = findDeployments(root);
    // Nothing to check is no file with an issue.
    EXPECT_TRUE(search.units.empty());
    EXPECT_TRUE(search.issues.empty());
    EXPECT_TRUE(search.empty);

    if (::geteuid() == 0) GTEST_SKIP() << "root reads any folder";
    write("locked/bridges.json", kBridges);
    fs::permissions(root + "/locked", fs::perms::none);
    search = findDeployments(root);
    ASSERT_EQ(search.issues.size(), 1u);
    EXPECT_EQ(search.issues[0].code, "read_error");
    EXPECT_EQ(search.issues[0].fileName, root + "/locked");
    EXPECT_FALSE(search.empty);
}

TEST_F(DeploymentTree, RunPlanAttachesTheSearchFindings) {
    write("s/orvexbridged_conf.json", kServer);
    write("empty/x.txt", "");
    CommandLine line;
    line.files = {root + "/s", root + "/empty"};
    const InputPlan plan = planInputs(line, schemaIds());
    ASSERT_EQ(plan.plan.error, "");
    EXPECT_EQ(plan.emptyFolders, std::vector<std::string>{root + "/empty"});
    EXPECT_FALSE(plan.nothingToCheck());
    const Report report = runPlan(plan, CheckOptions{});
    ASSERT_TRUE(report.deployments.has_value());
    EXPECT_EQ(*report.deployments, 1u);
    // The empty folder is no entry of the report.
    ASSERT_EQ(report.files.size(), 1u);
    EXPECT_FALSE(report.files[0].ok);
    ASSERT_EQ(report.diagnostics.size(), 1u);
    EXPECT_EQ(report.diagnostics[0].code, "missing_bridges_file");
    EXPECT_EQ(exitStatus(report), 1);
}

TEST_F(DeploymentTree, SchemaOptionDoesNotApplyToFolders) {
    write("s/bridges.json", kBridges);
    CommandLine line;
    line.schemaId = "Group";
    line.files = {root};
    EXPECT_NE(planInputs(line, schemaIds()).plan.error.find("--schema applies to FILE"),
              std::string::npos);
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
