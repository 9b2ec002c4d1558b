#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "Check.hpp"
#include "ConfigGenerator.hpp"
#include "DeploymentCases.hpp"
#include "JunitFormat.hpp"
#include "SarifFormat.hpp"
#include "lsp/Checker.hpp"
#include "lsp/Diagnostics.hpp"
#include "lsp/FileUri.hpp"
#include "lsp/InitializationOptions.hpp"
#include "lsp/TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool hasCode(const Publication& publication, const char* code) {
    if (!publication.snapshot) return false;
    for (const Issue* issue : publishedIssues(*publication.snapshot)) {
        if (issue->code == code) return true;
    }
    return false;
}

// The diagnostics the server would publish.
nlohmann::json diagnosticsJson(const Publication& publication) {
    if (!publication.snapshot) return nlohmann::json::array();
    const TextPositions positions(publication.snapshot->text());
    return diagnosticsOf(*publication.snapshot, positions, publication.uri).parsed();
}

// A workspace and its checker, as the server holds them.
struct Editor {
    explicit Editor(const CheckSettings& settings = {})
        : workspace(workspaceOptions(settings)), checker(workspace, settings) {}

    // The publications of one step, kept as the editor shows them.
    void take(const std::vector<Publication>& published) {
        for (const Publication& publication : published) shown[publication.uri] = publication;
    }
    void open(const std::string& path) {
        workspace.open(uriFromPath(path), fileText(path), 1);
        take(checker.refresh(uriFromPath(path)));
    }
    // A one-byte edit: a space after the text.
    void touch(const std::string& path) {
        const std::string uri = uriFromPath(path);
        workspace.replace(uri, *workspace.text(uri) + " ", *workspace.version(uri) + 1);
        take(checker.refresh(uri));
    }
    void change(const std::string& path, const std::string& text) {
        const std::string uri = uriFromPath(path);
        workspace.replace(uri, text, *workspace.version(uri) + 1);
        take(checker.refresh(uri));
    }
    bool paired(const std::string& bridgesPath) {
        const auto found = shown.find(uriFromPath(bridgesPath));
        return found != shown.end() && hasCode(found->second, IssueCode::kModeRequiresAudioGroup);
    }

    Workspace workspace;
    Checker checker;
    std::map<std::string, Publication> shown;
};

// Every case of the table the tool's folder mode runs too, with the
// folder as the editor's workspace: opened in both orders, and refreshed
// from either file by a one-byte edit, the bridges file is judged with
// the server it is paired with exactly when the tool pairs them.
TEST(Checker, EachCaseOfTheSharedTableIsPairedAsTheToolPairsIt) {
    namespace fs = std::filesystem;
    for (const auto& c : Testing::deploymentCases()) {
        for (const bool serverFirst : {false, true}) {
            SCOPED_TRACE(std::string(c.name) +
                         (serverFirst ? ", server first" : ", bridges first"));
            char pattern[] = "/tmp/orvex-lsp-pairs-XXXXXX";
            ASSERT_NE(::mkdtemp(pattern), nullptr);
            const std::string folder = Testing::writeDeploymentCase(pattern, c);
            const std::string serverPath = folder + "/orvexbridged_conf.json";
            const std::string bridgesPath =
                (fs::path(folder) / c.bridges).lexically_normal().string();
            Editor editor;
            editor.checker.setRoots({pattern});
            editor.open(serverFirst ? serverPath : bridgesPath);
            if (!serverFirst) {
                EXPECT_EQ(editor.paired(bridgesPath), c.paired) << "alone";
            }
            editor.open(serverFirst ? bridgesPath : serverPath);
            EXPECT_EQ(editor.paired(bridgesPath), c.paired) << "both open";
            editor.touch(bridgesPath);
            EXPECT_EQ(editor.paired(bridgesPath), c.paired) << "bridges edited";
            editor.touch(serverPath);
            EXPECT_EQ(editor.paired(bridgesPath), c.paired) << "server edited";
            std::error_code ec;
            fs::remove_all(pattern, ec);
        }
    }
}

// A server file naming a bridges file in a subfolder, and the editor's
// folder unknown (no rootUri): the bridges file alone still finds its
// server in the folder above. An edit of the open server that names
// another file unpairs it; the server file changed on disk, reported by the
// editor, pairs it again under the new mode.
TEST(Checker, ServerEditsAndChangesOnDiskRepairTheDeployment) {
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/orvex-lsp-pairs-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const Testing::DeploymentCase subfolder{"subfolder", R"("conf/north.json")", "conf/north.json",
                                            true};
    const std::string folder = Testing::writeDeploymentCase(pattern, subfolder);
    const std::string serverPath = folder + "/orvexbridged_conf.json";
    const std::string bridgesPath = folder + "/conf/north.json";
    Editor editor;
    editor.open(bridgesPath);
    EXPECT_TRUE(editor.paired(bridgesPath)) << "alone";
    editor.touch(bridgesPath);
    EXPECT_TRUE(editor.paired(bridgesPath)) << "after a one-byte edit";
    editor.open(serverPath);
    const std::string serverText = *editor.workspace.text(uriFromPath(serverPath));
    std::string other = serverText;
    other.replace(other.find("conf/north.json"), 15, "conf/south.json");
    editor.change(serverPath, other);
    EXPECT_FALSE(editor.paired(bridgesPath)) << "the server names another file";
    editor.change(serverPath, serverText);
    EXPECT_TRUE(editor.paired(bridgesPath)) << "named again";
    // Closed, the server file on disk is read: mode 0 there.
    std::string raw = serverText;
    raw.replace(raw.find("\"mode\": 2"), 9, "\"mode\": 0");
    std::ofstream(serverPath) << raw;
    editor.workspace.close(uriFromPath(serverPath));
    editor.take(editor.checker.refresh(uriFromPath(serverPath)));
    editor.take(editor.checker.filesChanged({serverPath}));
    EXPECT_FALSE(editor.paired(bridgesPath)) << "mode 0 on disk";
    std::ofstream(serverPath) << serverText;
    editor.take(editor.checker.filesChanged({serverPath}));
    EXPECT_TRUE(editor.paired(bridgesPath)) << "mode 2 on disk again";
    std::error_code ec;
    fs::remove_all(pattern, ec);
}

// (code, 1-based line) of every diagnostic, in order.
using Lines = std::vector<std::pair<std::string, std::size_t>>;

TEST(Checker, LfCrLfAndLoneCrFilesGiveTheSameLinesEverywhere) {
    namespace fs = std::filesystem;
    const std::string lf =
        "{\n  \"groups\": [\n    {\"id\": \"g\", \"type\": 3, \"tx\": {\"p\": 1}},\n"
        "    {\"id\": \"g\", \"type\": 1},\n    {\"type\": \"x\"}\n  ],\n"
        "  \"bridges\": [{\"groups\": [\"nope\"]}]\n}\n";
    char pattern[] = "/tmp/orvex-lines-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string path = std::string(pattern) + "/bridges.json";
    std::optional<Lines> expected;
    for (const std::string eol : {"\n", "\r\n", "\r"}) {
        std::string text;
        for (const char c : lf) text += c == '\n' ? eol : std::string(1, c);
        std::ofstream(path, std::ios::binary) << text;
        const Report report =
            Tool::runChecks({{kBridgesSchemaId, {path}, false}}, Tool::CheckOptions{});
        Lines tool;
        for (const auto& d : report.diagnostics) tool.emplace_back(d.code, d.position->line);
        const std::string shown = Tool::formatText(report, false);
        const std::string json = Tool::formatJsonText(report);
        const std::string sarif = nlohmann::json::parse(Tool::formatSarif(report, "/", "0")).dump();
        const std::string junit = Tool::formatJunit(report);
        for (const auto& [code, line] : tool) {
            const std::string at = ":" + std::to_string(line) + ":";
            EXPECT_NE(shown.find(at), std::string::npos) << code;
            EXPECT_NE(junit.find(at), std::string::npos) << code;
            EXPECT_NE(json.find("\"line\": " + std::to_string(line)), std::string::npos) << code;
            EXPECT_NE(sarif.find("\"startLine\":" + std::to_string(line)), std::string::npos)
                << code;
        }
        Editor session;
        session.workspace.open(uriFromPath(path), text, 1);
        Lines editor;
        const std::vector<Publication> published = session.checker.refresh(uriFromPath(path));
        ASSERT_FALSE(published.empty());
        for (const auto& diagnostic : diagnosticsJson(published.front())) {
            editor.emplace_back(diagnostic["code"].get<std::string>(),
                                diagnostic["range"]["start"]["line"].get<std::size_t>() + 1);
        }
        std::sort(editor.begin(), editor.end());
        Lines sortedTool = tool;
        std::sort(sortedTool.begin(), sortedTool.end());
        EXPECT_EQ(editor, sortedTool) << "line ends of length " << eol.size();
        if (!expected) expected = tool;
        EXPECT_EQ(tool, *expected) << "line ends of length " << eol.size();
    }
    ASSERT_TRUE(expected.has_value());
    EXPECT_GE(expected->size(), 4u);
    std::error_code ec;
    fs::remove_all(pattern, ec);
}

// A ranged edit of a large bridges text inside one group is carried over
// from the version before, and gives what a whole check of the new text
// gives.
TEST(Checker, EditsOfALargeTextAreCarriedFromThePreviousVersion) {
    const std::string uri = "file:///work/edited/bridges.json";
    std::string text = generateBridgingConfiguration(400);
    ASSERT_GE(text.size(), WorkspaceOptions{}.carryFrom);
    CheckSettings settings;
    settings.schemaChoices.emplace_back(uri, "BridgingConfiguration");
    Editor editor(settings);
    editor.workspace.open(uri, text, 1);
    editor.checker.refresh(uri);
    const auto wholeCheck = [&settings, &uri](const std::string& edited) {
        Editor once(settings);
        once.workspace.open(uri, edited, 1);
        return diagnosticsJson(once.checker.refresh(uri).front());
    };
    std::int64_t version = 1;
    const auto edit = [&](const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        // As an editor that syncs by ranges sends it: from the first byte
        // that changes.
        std::size_t same = 0;
        while (same < from.size() && same < to.size() && from[same] == to[same]) ++same;
        ASSERT_TRUE(editor.workspace.edit(uri, {{at + same, from.size() - same, to.substr(same)}},
                                          ++version));
        const std::vector<Publication> published = editor.checker.refresh(uri);
        ASSERT_EQ(published.size(), 1U);
        EXPECT_EQ(diagnosticsJson(published.front()), wholeCheck(text)) << to;
    };
    // Inside one group, twice: the second starts from the first's version.
    edit("\"id\": \"{grp-7}\"", "\"id\": \"{grp-6}\"");
    edit("\"name\": \"Talk group 9\"", "\"nmae\": \"Talk group 9\"");
    EXPECT_EQ(editor.checker.carriedEdits(), 2U);
    // A new group: an edit across elements of one array.
    edit("\"groups\": [", "\"groups\": [{\"id\": \"n\", \"type\": 3},");
    EXPECT_EQ(editor.checker.carriedEdits(), 3U);
    // A member beside the arrays: the whole text is checked.
    edit("{\n  \"groups\"", "{\n  \"x\": 1,\n  \"groups\"");
    EXPECT_EQ(editor.checker.carriedEdits(), 3U);
    // And the state made by that check carries the next edit.
    edit("\"name\": \"Talk group 12\"", "\"name\": \"Talk group twelve\"");
    EXPECT_EQ(editor.checker.carriedEdits(), 4U);
}

// A document with an issue every few bytes: the first kMaxPublished are
// published, then one diagnostic that counts the rest, alone and paired.
TEST(Checker, PublishesAtMostTheBoundAndCountsTheRest) {
    const int groups = 3000;
    std::string text = "{\"groups\":[{}";
    for (int i = 1; i < groups; ++i) text += ",{}";
    text += "]}";
    ValidateOptions all;
    const std::size_t total = validateText(kBridgesSchemaId, text, all).issues.size();
    ASSERT_GT(total, 2 * kMaxPublished);
    for (const bool paired : {false, true}) {
        SCOPED_TRACE(paired ? "paired" : "alone");
        char pattern[] = "/tmp/orvex-lsp-bound-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        const std::string folder = pattern;
        if (paired) std::ofstream(folder + "/orvexbridged_conf.json") << "{\"mode\": 3}";
        Editor editor;
        const std::string uri = uriFromPath(folder + "/bridges.json");
        editor.workspace.open(uri, text, 1);
        const std::vector<Publication> published = editor.checker.refresh(uri);
        ASSERT_FALSE(published.empty());
        const nlohmann::json diagnostics = diagnosticsJson(published.front());
        ASSERT_EQ(diagnostics.size(), kMaxPublished + 1);
        std::size_t shown = 0;
        for (const auto& diagnostic : diagnostics) shown += diagnostic.contains("code") ? 1 : 0;
        EXPECT_EQ(shown, kMaxPublished);
        // The pair adds no issue of the bridges text for this server.
        EXPECT_EQ(diagnostics.back()["message"],
                  std::to_string(total - kMaxPublished) + " more issues not shown");
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
}

TEST(Checker, SettingsFromInitializationOptions) {
    std::vector<std::string> warnings;
    const CheckSettings settings = readCheckSettings(
        nlohmann::json::parse(R"({"schemas": {"g.json": "Group", "x.json": "group", "y.json": 3},
                                  "schemaDir": "/s", "strict": true})"),
        warnings);
    ASSERT_EQ(settings.schemaChoices.size(), 1u);
    EXPECT_EQ(settings.schemaChoices[0], (std::pair<std::string, std::string>{"g.json", "Group"}));
    EXPECT_EQ(settings.options.schemaDir, "/s");
    EXPECT_TRUE(settings.options.strict);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("x.json"), std::string::npos);
    EXPECT_NE(warnings[1].find("y.json"), std::string::npos);
}

TEST(Checker, BadlyTypedSettingsAreWarnedAboutAndIgnored) {
    std::vector<std::string> warnings;
    const CheckSettings settings = readCheckSettings(
        nlohmann::json::parse(R"({"schemas": [], "schemaDir": 1, "strict": "yes"})"), warnings);
    EXPECT_TRUE(settings.schemaChoices.empty());
    EXPECT_TRUE(settings.options.schemaDir.empty());
    EXPECT_FALSE(settings.options.strict);
    EXPECT_EQ(warnings.size(), 3u);
    warnings.clear();
    readCheckSettings(nullptr, warnings);
    EXPECT_TRUE(warnings.empty());
}

TEST(Checker, SchemaByNameOrByChoiceAndNothingForOtherFiles) {
    CheckSettings settings;
    settings.schemaChoices = {{"custom.json", "Group"}, {"untitled:1", "Obs"}};
    Editor editor(settings);
    const auto schemaOf = [&](const std::string& uri) {
        editor.workspace.open(uri, "{}", 1);
        return editor.checker.schemaIdFor(uri);
    };
    EXPECT_EQ(schemaOf("file:///nowhere/bridges.json"), "BridgingConfiguration");
    EXPECT_EQ(schemaOf("file:///nowhere/orvexbridged_conf.json"), "BridgingServerConfiguration");
    EXPECT_EQ(schemaOf("file:///nowhere/custom.json"), "Group");
    EXPECT_EQ(schemaOf("untitled:1"), "Obs");
    EXPECT_EQ(schemaOf("file:///nowhere/other.json"), "");
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
