// A test fixture that writes files for the tool to read and removes them
// again when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace OrvexConfigValidate::Tool {

class FileFixture : public ::testing::Test {
  protected:
    // Files are named PREFIX + name in the test's temporary directory, so
    // that tests of different areas do not share them.
    explicit FileFixture(std::string prefix) : prefix_(std::move(prefix)) {}

    std::string write(const std::string& name, const std::string& text) {
        const std::string path = ::testing::TempDir() + prefix_ + name;
        std::ofstream(path, std::ios::binary) << text;
        written_.push_back(path);
        return path;
    }

    void TearDown() override {
        for (const auto& path : written_) std::remove(path.c_str());
    }

  private:
    std::string prefix_;
    std::vector<std::string> written_;
};

}  // namespace OrvexConfigValidate::Tool
