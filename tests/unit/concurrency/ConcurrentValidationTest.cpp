#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "ConfigGenerator.hpp"
#include "RunTogether.hpp"
#include "SchemaIssues.hpp"
#include "TempSchemaDir.hpp"

// Each test runs in its own process, so the first validation below is the
// first of the process and races with the others on registration.
namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

constexpr int kRounds = 12;

struct Outcome {
    std::atomic<int> valid{0};
    std::atomic<int> wrong{0};
};

void expectOutcome(Outcome& outcome, bool held) {
    (held ? outcome.valid : outcome.wrong)++;
}

TEST(ConcurrentValidation, FirstUseFromManyThreadsGivesSingleThreadedResults) {
    const json obs =
        json::parse(composeObs(generateServerConfiguration(3), generateBridgingConfiguration(3)));
    const json broken = {{"bridges", {{{"lossGraceMs", -1}}}}};
    Outcome outcome;
    runTogether([&](int) {
        for (int round = 0; round < kRounds; ++round) {
            expectOutcome(outcome, schemaIssues("Obs", obs).empty());
            const auto issues = schemaIssues("BridgingConfiguration", broken);
            expectOutcome(outcome,
                          issues.size() == 1 && issues[0].path == "/bridges/0/lossGraceMs");
        }
    });
    EXPECT_EQ(outcome.wrong.load(), 0);
    EXPECT_EQ(outcome.valid.load(), kThreads * kRounds * 2);
}

TEST(ConcurrentValidation, DirectoryLoadsOverlapWithPlainValidations) {
    // The directory holds the embedded texts themselves, so every result is
    // the same as without it while the engine's map is being rewritten.
    TempSchemaDir dir;
    dir.write("Group.schema.json", embeddedSchema("Group").dump());
    dir.write("common/BridgingConfiguration.schema.json",
              embeddedSchema("BridgingConfiguration").dump());
    dir.write("Obs.schema.json", "not json");
    ValidateOptions withDir;
    withDir.schemaDir = dir.path();
    const json obs =
        json::parse(composeObs(generateServerConfiguration(1), generateBridgingConfiguration(2)));
    const json badGroup = {{"groups", {{{"id", "g"}}}}};
    Outcome outcome;
    runTogether([&](int thread) {
        const ValidateOptions options = thread % 2 == 0 ? withDir : ValidateOptions{};
        for (int round = 0; round < kRounds; ++round) {
            expectOutcome(outcome, schemaIssues("Obs", obs, options).empty());
            const auto issues = schemaIssues("BridgingConfiguration", badGroup, options);
            expectOutcome(outcome, issues.size() == 1 && issues[0].path == "/groups/0" &&
                                       issues[0].message == R"(missing required member "type")");
            expectOutcome(outcome, schemaIds().size() == 7 && embeddedSchema("Obs").is_object());
        }
    });
    EXPECT_EQ(outcome.wrong.load(), 0);
    EXPECT_EQ(outcome.valid.load(), kThreads * kRounds * 3);
}

TEST(ConcurrentValidation, ReplacementSeenByAllOnceLoaded) {
    TempSchemaDir dir;
    dir.write("NetworkAddress.schema.json", R"({"required": ["address"]})");
    ValidateOptions withDir;
    withDir.schemaDir = dir.path();
    // Loaded before the threads start; afterwards directory loads only
    // rewrite the same document while others read it.
    ASSERT_EQ(schemaIssues("NetworkAddress", json::object(), withDir).size(), 1u);
    Outcome outcome;
    runTogether([&](int thread) {
        const ValidateOptions options = thread == 0 ? withDir : ValidateOptions{};
        for (int round = 0; round < kRounds; ++round) {
            const auto issues = schemaIssues("NetworkAddress", json{{"port", 1}}, options);
            expectOutcome(outcome, issues.size() == 1 &&
                                       issues[0].message == R"(missing required member "address")");
        }
    });
    EXPECT_EQ(outcome.wrong.load(), 0);
}

TEST(ConcurrentValidation, ReplacementsOutliveOtherDirectoriesAndTheirFile) {
    TempSchemaDir strict;
    strict.write("NetworkAddress.schema.json", R"({"required": ["address"]})");
    TempSchemaDir other;
    other.write("Group.schema.json", R"({"type": "object"})");
    ValidateOptions inStrict;
    inStrict.schemaDir = strict.path();
    ValidateOptions inOther;
    inOther.schemaDir = other.path();
    ASSERT_EQ(schemaIssues("NetworkAddress", json::object(), inStrict).size(), 1u);
    // Neither a directory without that file nor the file's removal brings
    // the built-in document back, whichever call comes first.
    std::filesystem::remove(std::filesystem::path(strict.path()) / "NetworkAddress.schema.json");
    Outcome outcome;
    runTogether([&](int thread) {
        const ValidateOptions options =
            thread % 3 == 0 ? inStrict : (thread % 3 == 1 ? inOther : ValidateOptions{});
        for (int round = 0; round < kRounds; ++round) {
            const auto issues = schemaIssues("NetworkAddress", json{{"port", 1}}, options);
            expectOutcome(outcome, issues.size() == 1 &&
                                       issues[0].message == R"(missing required member "address")");
        }
    });
    EXPECT_EQ(outcome.wrong.load(), 0);
    // A Validator object keeps its own set: the built-in one here.
    EXPECT_TRUE(Validator().validate("NetworkAddress", json{{"port", 1}}, {}).issues.empty());
}

}  // namespace
}  // namespace OrvexConfigValidate
