// The official draft-07 suite run on the engine directly: remote documents
// come from the suite's own "remotes" folder, the meta-schema from the
// engine's embedded copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "EvaluationReadings.hpp"
#include "SuiteWalk.hpp"
#include "engine/CompiledSchema.hpp"
#include "engine/Draft07MetaSchema.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

const char kRemoteHost[] = "http://localhost:1234/";

std::shared_ptr<const json> readJson(const fs::path& path) {
    std::ifstream stream(path);
    if (!stream) return nullptr;
    return std::make_shared<const json>(json::parse(stream));
}

// One parsed document per location, so that repeated requests answer the
// same object.
class SuiteSource {
  public:
    std::shared_ptr<const json> operator()(const std::string& uri) {
        const auto known = cache.find(uri);
        if (known != cache.end()) return known->second;
        std::shared_ptr<const json> document;
        if (uri == kDraft07MetaSchemaUri) {
            document = std::make_shared<const json>(json::parse(kDraft07MetaSchemaText));
        } else if (uri.rfind(kRemoteHost, 0) == 0) {
            const std::string relative = uri.substr(std::string(kRemoteHost).size());
            if (relative.find("..") == std::string::npos)
                document = readJson(Suite::kRoot / "remotes" / relative);
        }
        cache.emplace(uri, document);
        return document;
    }

  private:
    std::map<std::string, std::shared_ptr<const json>> cache;
};

void runFile(const fs::path& file, Suite::Tally& tally) {
    SuiteSource suiteSource;
    const SchemaDocumentSource source = [&suiteSource](const std::string& uri) {
        return suiteSource(uri);
    };
    Suite::walkFile(file, [&tally, &source](const json& group) {
        SchemaCompilation compilation =
            compileSchema(std::make_shared<const json>(group.at("schema")), "", source);
        return [&tally, compilation = std::move(compilation)](const Suite::Case& test) {
            ++tally.cases;
            if (!compilation.schema) {
                tally.failures.push_back(test.name + " (compile error: " + compilation.error + ")");
                return;
            }
            std::string difference;
            const ValidationResult result =
                evaluateBothReadings(*compilation.schema, test.data, {}, difference);
            if (!difference.empty()) {
                tally.failures.push_back(test.name + " (readings differ)\n" + difference);
                return;
            }
            // An invalid document has at least one "schema" issue, a valid
            // one none at all.
            const bool anySchemaIssue =
                std::any_of(result.issues.begin(), result.issues.end(),
                            [](const Issue& issue) { return issue.code == "schema"; });
            const bool right = test.expectValid ? result.issues.empty() && result.ok
                                                : anySchemaIssue && !result.ok;
            if (right) {
                ++tally.held;
            } else {
                tally.failures.push_back(test.name +
                                         (test.expectValid ? " (valid)" : " (invalid)") +
                                         Suite::describe(result));
            }
        };
    });
}

class EngineSuiteFile : public ::testing::TestWithParam<fs::path> {};

TEST_P(EngineSuiteFile, EveryCaseHolds) {
    Suite::Tally tally;
    runFile(GetParam(), tally);
    Suite::expectEveryCaseHeld(tally);
}

INSTANTIATE_TEST_SUITE_P(Draft7, EngineSuiteFile,
                         ::testing::ValuesIn(Suite::jsonFiles(Suite::kDraft7)), Suite::testName);

TEST(EngineSuite, AllRequiredCasesHold) {
    const std::vector<fs::path> files = Suite::jsonFiles(Suite::kDraft7);
    // The set-up installs the suite; its absence is a failure, not a skip.
    ASSERT_GE(files.size(), 30u) << "draft-07 suite not found at " << Suite::kDraft7;
    Suite::Tally tally;
    for (const fs::path& file : files) runFile(file, tally);
    std::cout << "draft-07 suite on the engine: " << tally.held << " of " << tally.cases
              << " cases held\n";
    EXPECT_EQ(tally.cases, 423);
    EXPECT_EQ(tally.held, tally.cases) << Suite::joined(tally.failures);
}

// The optional cases are not required of a draft-07 validator ("format" is
// an annotation here); their counts are printed so that they stay visible.
TEST(EngineSuite, OptionalCasesAreCounted) {
    std::vector<fs::path> files = Suite::jsonFiles(Suite::kDraft7 / "optional");
    const std::vector<fs::path> formats = Suite::jsonFiles(Suite::kDraft7 / "optional" / "format");
    files.insert(files.end(), formats.begin(), formats.end());
    ASSERT_FALSE(files.empty());
    int cases = 0;
    for (const fs::path& file : files) {
        Suite::Tally tally;
        runFile(file, tally);
        cases += tally.cases;
        std::cout << "optional " << fs::relative(file, Suite::kDraft7 / "optional").string() << ": "
                  << tally.held << " of " << tally.cases << " held\n";
        for (const std::string& failure : tally.failures)
            std::cout << "    not held: " << failure.substr(0, failure.find('\n')) << "\n";
    }
    EXPECT_GT(cases, 0);
}

}  // namespace
}  // namespace OrvexConfigValidate
