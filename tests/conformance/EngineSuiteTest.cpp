// The official draft-07 suite run on the engine directly: remote documents
// come from the suite's own "remotes" folder, the meta-schema from the
// engine's embedded copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/CompiledSchema.hpp"
#include "engine/Draft07MetaSchema.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

const char kSuiteRoot[] = "/usr/share/json-schema-test-suite";
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
                document = readJson(fs::path(kSuiteRoot) / "remotes" / relative);
        }
        cache.emplace(uri, document);
        return document;
    }

  private:
    std::map<std::string, std::shared_ptr<const json>> cache;
};

struct Tally {
    int cases = 0;
    int held = 0;
    std::vector<std::string> failures;
};

std::string describe(const ValidationResult& result) {
    std::string text;
    for (const Issue& issue : result.issues)
        text += "\n      [" + issue.path + "] " + issue.code + ": " + issue.message;
    return text;
}

void runFile(const fs::path& file, Tally& tally) {
    const auto groups = readJson(file);
    ASSERT_TRUE(groups) << file;
    SuiteSource suiteSource;
    const SchemaDocumentSource source = [&suiteSource](const std::string& uri) {
        return suiteSource(uri);
    };
    for (const json& group : *groups) {
        const auto schema = std::make_shared<const json>(group.at("schema"));
        const SchemaCompilation compilation = compileSchema(schema, "", source);
        for (const json& test : group.at("tests")) {
            ++tally.cases;
            const bool expectValid = test.at("valid").get<bool>();
            const std::string name = file.filename().string() + ": " +
                                     group.at("description").get<std::string>() + " / " +
                                     test.at("description").get<std::string>();
            if (!compilation.schema) {
                tally.failures.push_back(name + " (compile error: " + compilation.error + ")");
                continue;
            }
            ValidationResult result;
            evaluateSchema(*compilation.schema, test.at("data"), result, {});
            // An invalid document has at least one "schema" issue, a valid
            // one none at all.
            const bool anySchemaIssue =
                std::any_of(result.issues.begin(), result.issues.end(),
                            [](const Issue& issue) { return issue.code == "schema"; });
            const bool right =
                expectValid ? result.issues.empty() && result.ok : anySchemaIssue && !result.ok;
            if (right) {
                ++tally.held;
            } else {
                tally.failures.push_back(name + (expectValid ? " (valid)" : " (invalid)") +
                                         describe(result));
            }
        }
    }
}

std::vector<fs::path> jsonFiles(const fs::path& dir) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error))
        if (entry.is_regular_file() && entry.path().extension() == ".json")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "  " + line + "\n";
    return text;
}

const fs::path kDraft7 = fs::path(kSuiteRoot) / "tests" / "draft7";

class EngineSuiteFile : public ::testing::TestWithParam<fs::path> {};

TEST_P(EngineSuiteFile, EveryCaseHolds) {
    Tally tally;
    runFile(GetParam(), tally);
    EXPECT_GT(tally.cases, 0);
    EXPECT_TRUE(tally.failures.empty())
        << tally.failures.size() << " of " << tally.cases << " cases failed:\n"
        << joined(tally.failures);
}

std::string testName(const ::testing::TestParamInfo<fs::path>& info) {
    std::string name = info.param.stem().string();
    for (char& c : name)
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Draft7, EngineSuiteFile, ::testing::ValuesIn(jsonFiles(kDraft7)),
                         testName);

TEST(EngineSuite, AllRequiredCasesHold) {
    const std::vector<fs::path> files = jsonFiles(kDraft7);
    // The set-up installs the suite; its absence is a failure, not a skip.
    ASSERT_GE(files.size(), 30u) << "draft-07 suite not found at " << kDraft7;
    Tally tally;
    for (const fs::path& file : files) runFile(file, tally);
    std::cout << "draft-07 suite on the engine: " << tally.held << " of " << tally.cases
              << " cases held\n";
    EXPECT_EQ(tally.cases, 423);
    EXPECT_EQ(tally.held, tally.cases) << joined(tally.failures);
}

// The optional cases are not required of a draft-07 validator ("format" is
// an annotation here); their counts are printed so that they stay visible.
TEST(EngineSuite, OptionalCasesAreCounted) {
    std::vector<fs::path> files = jsonFiles(kDraft7 / "optional");
    const std::vector<fs::path> formats = jsonFiles(kDraft7 / "optional" / "format");
    files.insert(files.end(), formats.begin(), formats.end());
    ASSERT_FALSE(files.empty());
    int cases = 0;
    for (const fs::path& file : files) {
        Tally tally;
        runFile(file, tally);
        cases += tally.cases;
        std::cout << "optional " << fs::relative(file, kDraft7 / "optional").string() << ": "
                  << tally.held << " of " << tally.cases << " held\n";
        for (const std::string& failure : tally.failures)
            std::cout << "    not held: " << failure.substr(0, failure.find('\n')) << "\n";
    }
    EXPECT_GT(cases, 0);
}

}  // namespace
}  // namespace OrvexConfigValidate
