#include "Fixture.hpp"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace OrvexConfigValidate {

const char* const kFixtureDir = ORVEX_FIXTURE_DIR;

std::string readTextFile(const std::string& path) {
    std::ifstream in(path);
    if (in.fail() || in.bad()) {
        throw std::runtime_error("cannot open " + path);
    }
    std::ostringstream text;
    // Streaming an empty buffer sets failbit on the output stream; the text
    // is still complete, so that state is irrelevant here.
    text << in.rdbuf();
    return text.str();
}

nlohmann::json loadFixture(const std::string& fileName) {
    const std::string text = readTextFile(std::string(kFixtureDir) + "/" + fileName);
    return nlohmann::json::parse(text, nullptr, true, false);
}

}  // namespace OrvexConfigValidate
