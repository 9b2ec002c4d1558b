// A fresh directory for schema files, removed again at the end of the test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace OrvexConfigValidate {

class TempSchemaDir {
  public:
    TempSchemaDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvex-schemas-XXXXXX");
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir = pattern;
    }
    ~TempSchemaDir() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    TempSchemaDir(const TempSchemaDir&) = delete;
    TempSchemaDir& operator=(const TempSchemaDir&) = delete;

    // Writes `text` to the relative path, creating directories as needed.
    void write(const std::string& relative, const std::string& text) const {
        const std::filesystem::path file = std::filesystem::path(dir) / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }

    const std::string& path() const { return dir; }

  private:
    std::string dir;
};

}  // namespace OrvexConfigValidate
