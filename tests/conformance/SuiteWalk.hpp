// Walking the draft-07 files of the JSON-Schema-Test-Suite: the files, their
// cases, the tally of what held and the report of what did not. Shared by
// the test through validate() and the test of the engine alone.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate::Suite {

const std::filesystem::path kRoot = "/usr/share/json-schema-test-suite";
const std::filesystem::path kDraft7 = kRoot / "tests" / "draft7";

// The .json files directly in dir, sorted; none when it cannot be read.
inline std::vector<std::filesystem::path> jsonFiles(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        if (entry.is_regular_file() && entry.path().extension() == ".json")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

struct Tally {
    int cases = 0;
    int held = 0;
    std::vector<std::string> failures;
};

// One case of a file: its schema is group["schema"].
struct Case {
    const nlohmann::json& group;
    const nlohmann::json& data;
    bool expectValid;
    // "FILE: GROUP / TEST", for the report.
    std::string name;
};

// Calls forGroup(group) once per group of the file; what it returns is then
// called with each Case of that group, so that work per schema is done once.
template <typename ForGroup>
void walkFile(const std::filesystem::path& file, ForGroup forGroup) {
    std::ifstream stream(file);
    ASSERT_TRUE(stream) << file;
    const nlohmann::json groups = nlohmann::json::parse(stream);
    for (const nlohmann::json& group : groups) {
        auto check = forGroup(group);
        for (const nlohmann::json& test : group.at("tests")) {
            check(Case{group, test.at("data"), test.at("valid").get<bool>(),
                       file.filename().string() + ": " +
                           group.at("description").get<std::string>() + " / " +
                           test.at("description").get<std::string>()});
        }
    }
}

// The issues of a case that did not hold, one per line.
inline std::string describe(const ValidationResult& result) {
    std::string text;
    for (const Issue& issue : result.issues)
        text += "\n      [" + issue.path + "] " + issue.code + ": " + issue.message;
    return text;
}

inline std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "  " + line + "\n";
    return text;
}

// What one file's test expects: it has cases, and every one held.
inline void expectEveryCaseHeld(const Tally& tally) {
    EXPECT_GT(tally.cases, 0);
    EXPECT_TRUE(tally.failures.empty())
        << tally.failures.size() << " of " << tally.cases << " cases failed:\n"
        << joined(tally.failures);
}

// A test name from a suite file's name: "ref.json" gives "ref".
inline std::string testName(const ::testing::TestParamInfo<std::filesystem::path>& info) {
    std::string name = info.param.stem().string();
    for (char& c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) c = '_';
    }
    return name;
}

}  // namespace OrvexConfigValidate::Suite
