// A test fixture that writes files for the tool to read and removes them
// again when the test ends.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace OrvexConfigValidate::Tool {

class FileFixture : public ::testing::Test {
  protected:
    // Files are named PREFIX + name in a folder of the test's own: ctest
    // runs tests in parallel processes, and two tests writing the same
    // name would read each other's text.
    explicit FileFixture(std::string prefix) : prefix_(std::move(prefix)) {
        std::string pattern = ::testing::TempDir() + "orvex-tool-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) directory_ = pattern + "/";
    }

    std::string write(const std::string& name, const std::string& text) {
        const std::string path = place(name);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // A path in the test's folder, removed when the test ends.
    std::string place(const std::string& name) {
        const std::string path = directory_ + prefix_ + name;
        written_.push_back(path);
        return path;
    }

    void SetUp() override { ASSERT_FALSE(directory_.empty()) << "no temporary folder"; }

    void TearDown() override {
        for (const auto& path : written_) std::remove(path.c_str());
        if (!directory_.empty()) ::rmdir(directory_.c_str());
    }

  private:
    std::string prefix_;
    std::string directory_;
    std::vector<std::string> written_;
};

}  // namespace OrvexConfigValidate::Tool
