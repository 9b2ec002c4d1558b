#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

// Absolute path of the fixture directory of the source tree, fixed at build time.
extern const char* const kFixtureDir;

// Whole content of a file; throws std::runtime_error "cannot open <path>".
std::string readTextFile(const std::string& path);

// Parses kFixtureDir + "/" + fileName strictly (no comments, one value).
nlohmann::json loadFixture(const std::string& fileName);

}  // namespace OrvexConfigValidate
