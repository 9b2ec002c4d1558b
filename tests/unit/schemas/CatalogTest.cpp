#include <gtest/gtest.h>

#include <map>
#include <string>

#include "SchemaIssues.hpp"
#include "schemas/EmbeddedSchemas.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

const json kEmpty = json::object();

bool passes(const std::string& schemaId, const json& document) {
    const auto issues = schemaIssues(schemaId, document);
    EXPECT_TRUE(issues.empty() || issues[0].code == "schema") << describe(issues);
    return issues.empty();
}

TEST(Catalog, RegistersSevenObjectsUnderTheirIdsInTableOrder) {
    const std::vector<std::string> expected = {"BridgingConfiguration",
                                               "BridgingServerConfiguration",
                                               "Obs",
                                               "Group",
                                               "NetworkAddress",
                                               "enums",
                                               "Project"};
    EXPECT_EQ(schemaIds(), expected);
    std::map<std::string, json> schemas;
    registerEmbeddedSchemas(schemas);
    ASSERT_EQ(schemas.size(), 7u);
    for (const std::string& id : expected) {
        ASSERT_TRUE(schemas.count(id)) << id;
        EXPECT_TRUE(schemas[id].is_object()) << id;
    }
}

TEST(Catalog, HeaderMembersTitlesAndIds) {
    const std::map<std::string, std::pair<std::string, std::string>> expected = {
        {"BridgingConfiguration",
         {"BridgingConfiguration", "/schemas/BridgingConfiguration.schema.json"}},
        {"BridgingServerConfiguration",
         {"BridgingServerConfiguration", "/schemas/BridgingServerConfiguration.schema.json"}},
        {"Obs", {"Obs", "/schemas/Obs.schema.json"}},
        {"Group", {"Group", "/schemas/Group.schema.json"}},
        {"NetworkAddress", {"NetworkAddress", "/schemas/common/NetworkAddress.schema.json"}},
        {"enums", {"Orvex common enums", "/schemas/common/enums.schema.json"}},
        {"Project", {"Project", "/schemas/Project.schema.json"}},
    };
    for (const EmbeddedSchema& entry : kEmbeddedSchemas) {
        const std::string text = entry.text;
        for (const char c : text) EXPECT_LT(static_cast<unsigned char>(c), 0x80u) << entry.id;
        // The first two members, in the text as written.
        EXPECT_LT(text.find("\"$schema\""), text.find("\"$id\"")) << entry.id;
        EXPECT_LT(text.find("\"$id\""), text.find("\"title\"")) << entry.id;
        const json schema = json::parse(text);
        EXPECT_EQ(schema["$schema"], "http://json-schema.org/draft-07/schema#");
        EXPECT_EQ(schema["$id"], "https://schemas.orvex.example" + expected.at(entry.id).second);
        EXPECT_EQ(schema["title"], expected.at(entry.id).first);
        EXPECT_EQ(embeddedSchema(entry.id), schema);
    }
    EXPECT_TRUE(embeddedSchema("Extra").is_null());
    EXPECT_TRUE(embeddedSchema("group").is_null());
}

TEST(Catalog, ReferencesAreRelativeFileNames) {
    EXPECT_EQ(embeddedSchema("Obs")["properties"]["server"]["$ref"],
              "BridgingServerConfiguration.schema.json");
    EXPECT_EQ(embeddedSchema("Obs")["properties"]["bridges"]["$ref"],
              "BridgingConfiguration.schema.json");
    EXPECT_EQ(embeddedSchema("BridgingConfiguration")["properties"]["groups"]["items"]["$ref"],
              "Group.schema.json");
    const json enums = embeddedSchema("enums");
    EXPECT_FALSE(enums.contains("type"));
    EXPECT_FALSE(enums.contains("properties"));
    EXPECT_EQ(enums["$defs"]["GroupType"]["enum"], json::array({0, 1, 2, 3}));
}

TEST(CatalogServer, EnginePolicyIsRequiredAndModeIsAnEnumeratedInteger) {
    EXPECT_FALSE(passes("BridgingServerConfiguration", json{{"mode", 3}}));
    EXPECT_TRUE(passes("BridgingServerConfiguration", json{{"enginePolicy", kEmpty}}));
    EXPECT_TRUE(passes("BridgingServerConfiguration",
                       json{{"enginePolicy", kEmpty}, {"mode", 3}, {"nsmNode", 1}}));
    EXPECT_FALSE(
        passes("BridgingServerConfiguration", json{{"enginePolicy", kEmpty}, {"mode", 4}}));
    EXPECT_FALSE(
        passes("BridgingServerConfiguration", json{{"enginePolicy", kEmpty}, {"mode", "3"}}));
    EXPECT_FALSE(passes("BridgingServerConfiguration", json{{"enginePolicy", json::array()}}));
}

TEST(CatalogServer, StatusUploadTimeoutIsAtLeastOne) {
    const auto withTimeout = [](int secs) {
        return json{{"enginePolicy", kEmpty}, {"statusUpload", {{"timeoutSecs", secs}}}};
    };
    EXPECT_FALSE(passes("BridgingServerConfiguration", withTimeout(0)));
    EXPECT_TRUE(passes("BridgingServerConfiguration", withTimeout(1)));
    EXPECT_FALSE(passes("BridgingServerConfiguration",
                        json{{"enginePolicy", kEmpty}, {"serviceConfigurationFileCheckSecs", -1}}));
    EXPECT_FALSE(passes("BridgingServerConfiguration",
                        json{{"enginePolicy", kEmpty}, {"nsm", {{"nodes", {1}}}}}));
}

TEST(CatalogObs, OnlyServerAndBridgesAreAllowedAndBothAreRequired) {
    const json server = {{"enginePolicy", kEmpty}};
    EXPECT_TRUE(passes("Obs", json{{"server", server}, {"bridges", kEmpty}}));
    EXPECT_FALSE(passes("Obs", json{{"server", server}, {"bridges", kEmpty}, {"extra", kEmpty}}));
    EXPECT_FALSE(passes("Obs", json{{"server", server}}));
    EXPECT_FALSE(passes("Obs", json{{"bridges", kEmpty}}));
    EXPECT_FALSE(passes("Obs", json{{"server", kEmpty}, {"bridges", kEmpty}}));
}

TEST(CatalogGroup, IdTypeAndRelayEndpoints) {
    EXPECT_FALSE(passes("Group", json{{"id", ""}, {"type", 0}}));
    EXPECT_TRUE(passes("Group", json{{"id", "g"}, {"type", 0}}));
    EXPECT_FALSE(passes("Group", json{{"id", "g"}, {"type", 4}}));
    const auto withPort = [](int port) {
        return json{{"id", "g"},
                    {"type", 1},
                    {"vortapoints", {{{"host", {{"address", "h"}, {"port", port}}}}}}};
    };
    EXPECT_TRUE(passes("Group", withPort(65535)));
    EXPECT_TRUE(passes("Group", withPort(0)));
    EXPECT_FALSE(passes("Group", withPort(65536)));
    EXPECT_FALSE(passes("Group", withPort(-1)));
    EXPECT_FALSE(
        passes("Group", json{{"id", "g"}, {"type", 1}, {"vortapoints", {{{"id", "vp"}}}}}));
    EXPECT_FALSE(passes(
        "Group", json{{"id", "g"}, {"type", 1}, {"bridgeTargetOutputDetail", {{"mode", 4}}}}));
}

TEST(CatalogGroup, GroupsInsideBridgingDocumentsUseTheGroupSchema) {
    const json bridging = {{"groups", {{{"id", "g"}}}}};
    EXPECT_FALSE(passes("BridgingConfiguration", bridging));
    EXPECT_FALSE(
        passes("Obs", json{{"server", {{"enginePolicy", kEmpty}}}, {"bridges", bridging}}));
    EXPECT_TRUE(passes("BridgingConfiguration", json{{"groups", {{{"id", "g"}, {"type", 2}}}}}));
}

TEST(CatalogBridges, BridgeMembers) {
    EXPECT_FALSE(passes("BridgingConfiguration", json{{"bridges", {{{"lossGraceMs", -1}}}}}));
    EXPECT_TRUE(passes("BridgingConfiguration", json{{"bridges", {{{"lossGraceMs", 0}}}}}));
    EXPECT_FALSE(passes("BridgingConfiguration", json{{"bridges", {{{"groups", {1}}}}}}));
    EXPECT_FALSE(passes("BridgingConfiguration", json{{"bridges", {{{"enabled", "yes"}}}}}));
    EXPECT_FALSE(passes("BridgingConfiguration", json{{"bridges", kEmpty}}));
}

TEST(CatalogMisc, EmptyObjectAndAnyValue) {
    EXPECT_TRUE(passes("BridgingConfiguration", kEmpty));
    EXPECT_FALSE(passes("Group", kEmpty));
    EXPECT_TRUE(passes("NetworkAddress", kEmpty));
    EXPECT_FALSE(passes("NetworkAddress", json{{"port", 70000}}));
    for (const json& value : {json::array({1, "x"}), json("text"), json(), json(4), kEmpty})
        EXPECT_TRUE(passes("enums", value)) << value.dump();
}

}  // namespace
}  // namespace OrvexConfigValidate
