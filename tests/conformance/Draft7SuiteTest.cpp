// Every draft-07 case of the official JSON-Schema-Test-Suite, each schema
// installed as the replacement of "NetworkAddress" (a schema without
// semantic rules) in a fresh schema directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "SuiteWalk.hpp"
#include "TempSchemaDir.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

// References to the suite's remote documents cannot resolve here: a schema
// directory reaches only the six schema ids and the draft-07 meta-schema.
// The engine's own suite test serves the remotes.
bool needsRemote(const json& schema) {
    return schema.dump().find("http://localhost:1234") != std::string::npos;
}

struct Tally : Suite::Tally {
    int remote = 0;
    int remoteEngine = 0;  // remote cases that gave "schema_engine"
    int remoteHeld = 0;    // remote cases that resolved and gave the right answer
};

int countCode(const ValidationResult& result, const std::string& code) {
    return static_cast<int>(std::count_if(result.issues.begin(), result.issues.end(),
                                          [&](const Issue& issue) { return issue.code == code; }));
}

void runFile(const fs::path& file, Tally& tally) {
    Suite::walkFile(file, [&tally](const json& group) {
        const bool remote = needsRemote(group.at("schema"));
        return [&tally, remote](const Suite::Case& test) {
            // A fresh directory per case; its file replaces the previous one.
            TempSchemaDir dir;
            dir.write("NetworkAddress.schema.json", test.group.at("schema").dump());
            ValidateOptions options;
            options.schemaDir = dir.path();
            const ValidationResult result = validate("NetworkAddress", test.data, options);

            const int schemaIssues = countCode(result, "schema");
            const int engineIssues = countCode(result, "schema_engine");
            const bool right =
                test.expectValid ? result.issues.empty() : schemaIssues > 0 && engineIssues == 0;
            ++tally.cases;
            if (remote) {
                ++tally.remote;
                // Either it cannot resolve (and says so), or it must be right.
                if (engineIssues > 0 && schemaIssues == 0 && result.issues.size() == 1) {
                    ++tally.remoteEngine;
                    return;
                }
                if (right) {
                    ++tally.remoteHeld;
                    return;
                }
            } else if (right) {
                ++tally.held;
                return;
            }
            tally.failures.push_back(test.name + (test.expectValid ? " (valid)" : " (invalid)") +
                                     (remote ? " [remote]" : "") + Suite::describe(result));
        };
    });
}

class Draft7SuiteFile : public ::testing::TestWithParam<fs::path> {};

TEST_P(Draft7SuiteFile, EveryCaseHolds) {
    Tally tally;
    runFile(GetParam(), tally);
    Suite::expectEveryCaseHeld(tally);
}

INSTANTIATE_TEST_SUITE_P(Draft7, Draft7SuiteFile,
                         ::testing::ValuesIn(Suite::jsonFiles(Suite::kDraft7)), Suite::testName);

TEST(Draft7Suite, IsInstalledAndEveryCaseWithoutRemoteHolds) {
    const std::vector<fs::path> files = Suite::jsonFiles(Suite::kDraft7);
    // The set-up installs the suite; its absence is a failure, not a skip.
    ASSERT_GE(files.size(), 30u) << "draft-07 suite not found at " << Suite::kDraft7.string();
    Tally tally;
    for (const fs::path& file : files) runFile(file, tally);
    const int local = tally.cases - tally.remote;
    std::cout << "draft-07 suite: " << tally.cases << " cases, " << local << " without remote ("
              << tally.held << " held), " << tally.remote << " remote (" << tally.remoteEngine
              << " schema_engine, " << tally.remoteHeld << " resolved and held)\n";
    EXPECT_EQ(tally.held, local);
    EXPECT_EQ(tally.remoteEngine + tally.remoteHeld, tally.remote);
    EXPECT_TRUE(tally.failures.empty()) << Suite::joined(tally.failures);
}

}  // namespace
}  // namespace OrvexConfigValidate
