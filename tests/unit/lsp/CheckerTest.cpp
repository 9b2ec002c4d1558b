#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lsp/Checker.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

TEST(Checker, BridgesFileNameComesFromTheServerFileName) {
    EXPECT_EQ(bridgesFileNameOf(nlohmann::json::parse(R"({})")), "bridges.json");
    EXPECT_EQ(bridgesFileNameOf(nlohmann::json::parse(
                  R"({"bridgingConfigurationFileName": "/etc/orvexbridged/north.json"})")),
              "north.json");
    EXPECT_EQ(
        bridgesFileNameOf(nlohmann::json::parse(R"({"bridgingConfigurationFileName": "b.json"})")),
        "b.json");
    for (const char* odd : {R"({"bridgingConfigurationFileName": ""})",
                            R"({"bridgingConfigurationFileName": "/etc/"})",
                            R"({"bridgingConfigurationFileName": 5})", "[]"}) {
        EXPECT_EQ(bridgesFileNameOf(nlohmann::json::parse(odd)), "bridges.json") << odd;
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
    DocumentStore store;
    CheckSettings settings;
    settings.schemaChoices = {{"custom.json", "Group"}, {"untitled:1", "Obs"}};
    Checker checker(store, settings);
    const auto schemaOf = [&](const std::string& uri) {
        return checker.schemaIdFor(store.open(uri, "{}", 1));
    };
    EXPECT_EQ(schemaOf("file:///nowhere/bridges.json"), "BridgingConfiguration");
    EXPECT_EQ(schemaOf("file:///nowhere/orvexbridged_conf.json"), "BridgingServerConfiguration");
    EXPECT_EQ(schemaOf("file:///nowhere/custom.json"), "Group");
    EXPECT_EQ(schemaOf("untitled:1"), "Obs");
    EXPECT_EQ(schemaOf("file:///nowhere/other.json"), "");
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
