#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <tuple>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>
#include <orvexconfigvalidate/Pointer.hpp>
#include <orvexconfigvalidate/Text.hpp>

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

const json kBridging = json::parse(R"({
    "groups": [5, {"id": "a", "name": "Alpha", "type": 1.0,
                   "bridgeTargetOutputDetail": {"mode": 2}},
               {"id": "b", "type": 3}, {"id": "a", "type": 2}],
    "bridges": [{"id": "x", "groups": ["a", 7, "zz", "a"]}, "junk",
                {"enabled": false, "groups": []}]})");

TEST(Configuration, GroupsBridgesAndLookupsOfABridgesFile) {
    const Configuration config(kBridgesSchemaId, kBridging);
    EXPECT_EQ(config.serverMode(), omADictatedByGroup);
    ASSERT_EQ(config.groups().size(), 3u);  // the number is skipped, its index still counts
    const ConfigGroup& alpha = config.groups()[0];
    EXPECT_EQ(alpha.index, 1u);
    EXPECT_EQ(alpha.name, "Alpha");
    EXPECT_EQ(alpha.type, gtUnknown);  // the server reads 1.0 as mistyped
    EXPECT_EQ(alpha.outputMode, bomMixedStream);
    EXPECT_EQ(config.group("a")->index, 1u);  // the first definition
    EXPECT_EQ(config.group("zz"), nullptr);
    EXPECT_EQ(config.groupIds(), (std::vector<std::string_view>{"a", "b"}));
    ASSERT_EQ(config.bridges().size(), 2u);
    EXPECT_FALSE(config.bridges()[1].enabled);
    EXPECT_FALSE(config.bridges()[1].namesGroups);
    const auto& references = config.bridges()[0].references;
    ASSERT_EQ(references.size(), 3u);
    EXPECT_EQ(references[1].position, 2u);
    EXPECT_EQ(config.referencesTo("a"),
              (std::vector<std::pair<std::size_t, std::size_t>>{{0, 0}, {0, 2}}));
    EXPECT_EQ(config.groupPointer(3), "/groups/3");
    EXPECT_EQ(config.referencePointer(0, 3), "/bridges/0/groups/3");
}

TEST(Configuration, BridgesNamingEachIdAreCountedOnceEach) {
    const auto document = nlohmann::json::parse(
        R"({"groups": [{"id": "a"}, {"id": "b"}], "bridges": [{"groups": ["a", "a", "b"]},)"
        R"( {"groups": ["a", "x"]}, {"groups": []}, {"groups": ["b", "a"]}]})");
    const Configuration config(kBridgesSchemaId, document);
    const auto counts = config.referencingBridgeCounts();
    EXPECT_EQ(counts.at("a"), 3u);
    EXPECT_EQ(counts.at("b"), 2u);
    EXPECT_EQ(counts.at("x"), 1u);
    EXPECT_EQ(counts.size(), 3u);
    EXPECT_EQ(config.groupIdPointer(1), "/groups/1/id");
    const auto obs = nlohmann::json::parse(R"({"bridges": {"groups": [{"id": "a"}]}})");
    const Configuration envelope(kEnvelopeSchemaId, obs);
    EXPECT_EQ(envelope.groupIdPointer(0), "/bridges/groups/0/id");
    EXPECT_EQ(valueAt(obs, envelope.groupIdPointer(0))->get<std::string>(), "a");
}

TEST(Configuration, WhereEachKindOfDocumentKeepsItsParts) {
    const json envelope = {{"server", {{"mode", 2}}}, {"bridges", kBridging}};
    const Configuration obs(kEnvelopeSchemaId, envelope);
    EXPECT_EQ(obs.serverMode(), omMixedStream);
    EXPECT_EQ(obs.groupPointer(1), "/bridges/groups/1");
    EXPECT_EQ(obs.placeOf("/server/mode").kind, ConfigPlace::ServerMode);
    EXPECT_EQ(obs.placeOf("/bridges/groups/1/type").kind, ConfigPlace::GroupType);
    const ConfigPlace reference = obs.placeOf("/bridges/bridges/0/groups/2");
    EXPECT_EQ(reference.kind, ConfigPlace::GroupReference);
    EXPECT_EQ(reference.bridge, 0u);
    EXPECT_EQ(reference.position, 2u);
    EXPECT_EQ(obs.placeOf("/bridges/groups/01/type").kind, ConfigPlace::Other);
    EXPECT_EQ(obs.placeOf("/bridges/groups/1/bridgeTargetOutputDetail/mode").kind,
              ConfigPlace::GroupOutputMode);

    const Configuration server(kServerSchemaId, json{{"mode", 1}});
    EXPECT_EQ(server.serverMode(), omMultistream);
    EXPECT_FALSE(server.hasGroups());
    EXPECT_EQ(server.placeOf("/mode").kind, ConfigPlace::ServerMode);

    const Configuration group(kGroupSchemaId, json{{"id", "g"}, {"type", 3}});
    ASSERT_EQ(group.groups().size(), 1u);
    EXPECT_EQ(group.groupPointer(0), "");
    EXPECT_EQ(group.placeOf("/type").kind, ConfigPlace::GroupType);

    EXPECT_FALSE(Configuration(kEnvelopeSchemaId, json::array()).hasGroups());
    EXPECT_FALSE(Configuration("NetworkAddress", kBridging).hasGroups());
}

TEST(Configuration, EnumeratorNamesAndIntegralNumbers) {
    EXPECT_EQ(opModeName(3), "omADictatedByGroup");
    EXPECT_EQ(groupTypeName(2), "gtPresence");
    EXPECT_EQ(bridgingOpModeName(0), "bomRaw");
    EXPECT_EQ(groupTypeName(4), "");
    EXPECT_EQ(opModeName(-1), "");
    EXPECT_EQ(readInt32(json(-4294967297)), -1);
    EXPECT_EQ(readInt32(json(2.0)), std::nullopt);
    EXPECT_EQ(readInt32(json(2.5)), std::nullopt);
    EXPECT_EQ(readInt32(json("2")), std::nullopt);
}

// For each group, the index of the first group with its id.
std::vector<std::size_t> firstsOfIds(const Configuration& config) {
    std::vector<std::size_t> firsts;
    for (const ConfigGroup& group : config.groups())
        firsts.push_back(config.firstWithSameId(group).index);
    return firsts;
}

// An element replaced in place and read again gives the model a whole
// reading of the edited document gives.
TEST(Configuration, ElementsReadAgainAfterAnEditMatchAWholeReading) {
    json document = kBridging;
    Configuration config(kBridgesSchemaId, document);
    // The old values live on until the model has read the new ones.
    std::vector<json> replaced;
    const auto replace = [&](const char* array, std::size_t index, const char* text) {
        replaced.push_back(std::exchange(document[array][index], json::parse(text)));
    };
    // "b" edited but keeping its id, which then has to be read from the new text.
    replace("groups", 2, R"({"id": "b", "type": 1, "name": "Bravo"})");
    ASSERT_TRUE(config.rereadGroup(2, document["groups"][2]));
    replaced.clear();
    EXPECT_EQ(config.group("b")->name, "Bravo");
    EXPECT_EQ(config.groupIds()[1].data(), config.group("b")->id.data());
    // The first "a" renamed: the later "a" becomes the first of its id.
    replace("groups", 1, R"({"id": "c", "type": 2})");
    ASSERT_TRUE(config.rereadGroup(1, document["groups"][1]));
    replace("bridges", 0, R"({"id": "y", "enabled": false, "groups": ["c"]})");
    ASSERT_TRUE(config.rereadBridge(0, document["bridges"][0]));
    replaced.clear();
    const Configuration whole(kBridgesSchemaId, document);
    EXPECT_EQ(config.groupIds(), whole.groupIds());
    EXPECT_EQ(config.groupIds(), (std::vector<std::string_view>{"c", "b", "a"}));
    EXPECT_EQ(firstsOfIds(config), firstsOfIds(whole));
    EXPECT_EQ(config.firstWithSameId(*config.group("a")).index, 3u);
    const ConfigGroup stranger = *config.group("a");
    EXPECT_EQ(&config.firstWithSameId(stranger), &stranger);
    ASSERT_NE(config.group("a"), nullptr);
    EXPECT_EQ(config.group("a")->index, 3u);
    EXPECT_EQ(config.group("c")->type, gtPresence);
    EXPECT_FALSE(config.bridges()[0].enabled);
    EXPECT_EQ(config.referencesTo("c"), whole.referencesTo("c"));
    EXPECT_TRUE(config.referencesTo("a").empty());
    // What was or became no object asks for a whole reading.
    EXPECT_FALSE(config.rereadGroup(0, document["groups"][0]));
    EXPECT_FALSE(config.rereadBridge(1, document["bridges"][1]));
    document["groups"][2] = 7;
    EXPECT_FALSE(config.rereadGroup(2, document["groups"][2]));
    EXPECT_FALSE(config.rereadGroup(99, JsonView()));
}

// Elements added and removed in the middle of an array, which moves and
// may reallocate it: the spliced model is the one a whole reading gives.
TEST(Configuration, SplicedElementsMatchAWholeReading) {
    const auto entries = [](const Configuration& config) {
        std::vector<std::tuple<std::size_t, const json*, std::string_view>> all;
        for (const ConfigGroup& group : config.groups())
            all.emplace_back(group.index, group.value.json(), group.id);
        for (const ConfigBridge& bridge : config.bridges())
            all.emplace_back(bridge.index, bridge.value.json(), bridge.id);
        return all;
    };
    const auto views = [](const json& array) {
        return std::vector<JsonView>(array.begin(), array.end());
    };
    json document = kBridging;
    Configuration config(kBridgesSchemaId, document);
    auto& groups = document["groups"].get_ref<json::array_t&>();
    // The first "a" and "b" give way to a new first "b", a number and "c".
    groups.erase(groups.begin() + 1, groups.begin() + 3);
    groups.insert(groups.begin() + 1,
                  {json::parse(R"({"id": "b"})"), 4, json::parse(R"({"id": "c"})")});
    ASSERT_TRUE(config.spliceGroups(views(document["groups"]), 1, 2, 3));
    auto& bridges = document["bridges"].get_ref<json::array_t&>();
    bridges.insert(bridges.begin(), json::parse(R"({"id": "w", "groups": ["c"]})"));
    ASSERT_TRUE(config.spliceBridges(views(document["bridges"]), 0, 0, 1));
    const Configuration whole(kBridgesSchemaId, document);
    EXPECT_EQ(entries(config), entries(whole));
    EXPECT_EQ(config.groupIds(), (std::vector<std::string_view>{"b", "c", "a"}));
    EXPECT_EQ(config.group("a")->index, 4u);
    EXPECT_EQ(config.referencesTo("c"), whole.referencesTo("c"));
    EXPECT_FALSE(config.spliceGroups(views(document["groups"]), 5, 0, 1));  // past the end
    Configuration server(kServerSchemaId, json::object());
    EXPECT_FALSE(server.spliceGroups(views(document["groups"]), 0, 0, 0));
}

TEST(LineTable, LfCrLfAndALoneCrEachEndOneLine) {
    const std::string text = "a\nb\r\nc\rd\r\r\ne";
    const LineTable lines(text);
    ASSERT_EQ(lines.lineCount(), 6u);
    EXPECT_EQ(lines.lineOf(text.find('b')), 1u);
    EXPECT_EQ(lines.lineOf(text.find('c')), 2u);
    EXPECT_EQ(lines.lineOf(text.find('d')), 3u);
    EXPECT_EQ(lines.lineOf(text.find('e')), 5u);
    EXPECT_EQ(lines.lineEnd(1), text.find('b') + 1);    // before "\r\n"
    EXPECT_EQ(lines.lineStart(4), text.find('d') + 2);  // the empty line between "\r" and "\r\n"
    // The reader counts lines the same way.
    const ParsedText parsed = parseText("{\r\"a\":\r\n1,\n\"b\":\r\rx}");
    EXPECT_EQ(parsed.issues().at(0).location.line, 6u);
}

TEST(LineTable, TextsWithoutCarriageReturnsCountTheSameLines) {
    // Such texts take a faster scan; a trailing break opens an empty last line.
    const std::string text = "\n\nab\n\nc\n";
    const LineTable lines(text);
    ASSERT_EQ(lines.lineCount(), 6u);
    EXPECT_EQ(lines.lineOf(0), 0u);
    EXPECT_EQ(lines.lineOf(text.find('a')), 2u);
    EXPECT_EQ(lines.lineEnd(2), text.find('b') + 1);
    EXPECT_EQ(lines.lineOf(text.find('c')), 4u);
    EXPECT_EQ(lines.lineStart(5), text.size());
    EXPECT_EQ(LineTable("no break").lineCount(), 1u);
}

class DeploymentFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvex-model-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(root + "/" + name) << text;
    }
    std::string root;
};

TEST_F(DeploymentFolder, AGoodPairGivesBothDocumentsAndAnOkResult) {
    write("orvexbridged_conf.json",
          R"({"mode": 3, "enginePolicy": {}, "bridgingConfigurationFileName": "b.json"})");
    write("b.json", R"({"groups": [{"id": "g", "type": 3, "tx": {"p": 1}}]})");
    const Deployment deployment = checkDeployment(root + "/orvexbridged_conf.json", {});
    EXPECT_TRUE(deployment.result.ok);
    EXPECT_TRUE(deployment.bridgesFound);
    EXPECT_EQ(deployment.bridgesFile, root + "/b.json");
    ASSERT_TRUE(deployment.server && deployment.bridges);
    EXPECT_EQ(deployment.bridges->toJson()["groups"][0]["id"], "g");
}

TEST_F(DeploymentFolder, WhatCannotBeReadIsAnIssueOfItsFile) {
    write("orvexbridged_conf.json", R"({"mode": 3, "enginePolicy": {}})");
    std::filesystem::create_directory(root + "/bridges.json");
    Deployment deployment = checkDeployment(root + "/orvexbridged_conf.json", {});
    EXPECT_FALSE(deployment.result.ok);
    ASSERT_FALSE(deployment.result.issues.empty());
    EXPECT_EQ(deployment.result.issues.back().code, IssueCode::kReadError);
    EXPECT_EQ(deployment.result.issues.back().source, 1);

    deployment = checkDeployment(root + "/absent.json", {});
    ASSERT_EQ(deployment.result.issues.size(), 1u);
    EXPECT_EQ(deployment.result.issues[0].code, IssueCode::kReadError);
    EXPECT_FALSE(deployment.server.has_value());
}

TEST_F(DeploymentFolder, AnEditorHandsInItsOwnTexts) {
    DeploymentOptions options;
    options.read = [&](const std::string& path) -> FileText {
        if (path == root + "/orvexbridged_conf.json") return {std::string(R"({"mode": 2})"), ""};
        if (path == root + "/bridges.json") {
            return {std::string(R"({"groups": [{"id": "g", "type": 3}]})"), ""};
        }
        return {std::nullopt, "cannot read file: not open"};
    };
    const Deployment deployment = checkDeployment(root + "/orvexbridged_conf.json", options);
    bool audio = false;
    for (const Issue& issue : deployment.result.issues) {
        audio = audio || issue.code == IssueCode::kModeRequiresAudioGroup;
    }
    EXPECT_TRUE(audio);
}

TEST(BridgesFileFor, NamesThatStayInTheFolderAndNamesThatDoNot) {
    const auto pathFor = [](const char* member) {
        return bridgesFileFor("d/orvexbridged_conf.json",
                              json{{"bridgingConfigurationFileName", json::parse(member)}})
            .path;
    };
    EXPECT_EQ(bridgesFileFor("d/orvexbridged_conf.json", json::object()).path, "d/bridges.json");
    EXPECT_EQ(bridgesFileFor("orvexbridged_conf.json", json::array()).path, "bridges.json");
    EXPECT_EQ(pathFor("5"), "d/bridges.json");
    EXPECT_EQ(pathFor(R"("b2.json")"), "d/b2.json");
    EXPECT_EQ(pathFor(R"("./conf/../b.json")"), "d/b.json");
    EXPECT_EQ(pathFor(R"("/etc/orvex/b.json")"), "d/b.json");
    for (const char* refused : {R"("../shared/b.json")", R"("conf/../../b.json")", R"("")",
                                R"("/etc/orvex/")", R"(".")", R"("a\u0000b")"}) {
        const BridgesFileChoice choice =
            bridgesFileFor("d/orvexbridged_conf.json",
                           json{{"bridgingConfigurationFileName", json::parse(refused)}});
        EXPECT_EQ(choice.path, "") << refused;
        EXPECT_TRUE(choice.named) << refused;
        EXPECT_FALSE(choice.problem.empty()) << refused;
    }
}

// As the server opens it: an absolute name as it stands and a relative one
// against the server file's folder, wherever it leads.
TEST(BridgesFileFor, AsTheServerOpensIt) {
    const struct {
        const char* server;
        const char* member;
        const char* path;
    } cases[] = {
        {"/etc/ob/orvexbridged_conf.json", R"("/srv/shared/b.json")", "/srv/shared/b.json"},
        {"/etc/ob/orvexbridged_conf.json", R"("../shared/b.json")", "/etc/ob/../shared/b.json"},
        {"d/orvexbridged_conf.json", R"("b2.json")", "d/b2.json"},
        {"orvexbridged_conf.json", R"("conf/b.json")", "conf/b.json"},
        {"d/orvexbridged_conf.json", "5", "d/bridges.json"},
        {"d/orvexbridged_conf.json", R"("")", ""},
    };
    for (const auto& each : cases) {
        const BridgesFileChoice choice = bridgesFileFor(
            each.server, json{{"bridgingConfigurationFileName", json::parse(each.member)}},
            BridgesFileReading::AsTheServer);
        EXPECT_EQ(choice.path, each.path) << each.member;
        EXPECT_EQ(choice.problem.empty(), *each.path != '\0') << each.member;
    }
}

// Tokens with "~" and "/" (and the empty token) escaped so that the pointer
// leads back to the member each names.
TEST(AppendPointerToken, EscapedTokensLeadBackToTheirMembers) {
    const nlohmann::json document = {{"a/b", {{"~1", {{"", {{"~/", 7}}}}}}}};
    std::string pointer;
    for (const char* token : {"a/b", "~1", "", "~/"}) appendPointerToken(pointer, token);
    EXPECT_EQ(pointer, "/a~1b/~01//~0~1");
    ASSERT_NE(valueAt(document, pointer), nullptr);
    EXPECT_EQ(*valueAt(document, pointer), 7);
    std::string appended = "/x";
    appendPointerToken(appended, "0");
    EXPECT_EQ(appended, "/x/0");
}

}  // namespace
}  // namespace OrvexConfigValidate
