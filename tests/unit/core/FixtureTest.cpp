#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

#include "Fixture.hpp"

namespace OrvexConfigValidate {
namespace {

TEST(Fixture, DirectoryIsAbsoluteWithoutTrailingSlash) {
    const std::string dir = kFixtureDir;
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.front(), '/');
    EXPECT_NE(dir.back(), '/');
    const std::string tail = "tests/selfcheck/fixtures";
    ASSERT_GE(dir.size(), tail.size());
    EXPECT_EQ(dir.substr(dir.size() - tail.size()), tail);
}

TEST(Fixture, MissingFileNamesTheFullPathBeforeParsing) {
    try {
        loadFixture("/no_such_fixture.json");
        FAIL() << "expected an exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  std::string("cannot open ") + kFixtureDir + "//no_such_fixture.json");
    }
}

TEST(Fixture, ReadTextFileReturnsEverythingAndEmptyForEmptyFile) {
    const std::string path = testing::TempDir() + "fixture_read_test.txt";
    { std::ofstream(path) << ""; }
    EXPECT_EQ(readTextFile(path), "");
    { std::ofstream(path) << "line one\nline two"; }
    EXPECT_EQ(readTextFile(path), "line one\nline two");
    std::remove(path.c_str());
}

TEST(Fixture, EveryShippedFixtureParses) {
    for (const char* name :
         {"valid_server.json", "valid_bridges.json", "invalid_missing_engine_policy.json",
          "invalid_mode2_server.json", "invalid_mode2_raw_group.json", "invalid_dangling_ref.json",
          "invalid_bom_type_mismatch.json"}) {
        EXPECT_TRUE(loadFixture(name).is_object()) << name;
    }
}

}  // namespace
}  // namespace OrvexConfigValidate
