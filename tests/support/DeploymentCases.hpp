// One table of deployment folders, run through the tool's folder mode and
// the language server's pairing alike: both must pair the same files.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace OrvexConfigValidate::Testing {

struct DeploymentCase {
    const char* name;
    const char* member;   // JSON text of "bridgingConfigurationFileName", "" for none
    const char* bridges;  // where the bridges text is written, relative to the folder
    bool paired;          // whether the server is judged with that bridges file
};

// The server runs mode 2, and the bridges text holds a gtRaw group: paired,
// it draws mode_requires_audio_group; alone (mode 3) it does not.
inline const char* const kCaseServer = R"({"mode": 2, "enginePolicy": {}%s})";
inline const char* const kCaseBridges = R"({"groups": [{"id": "g", "type": 3, "tx": {"p": 1}}]})";

inline const std::vector<DeploymentCase>& deploymentCases() {
    static const std::vector<DeploymentCase> cases = {
        {"absent", "", "bridges.json", true},
        {"relative", R"("north-bridges.json")", "north-bridges.json", true},
        {"subfolder", R"("conf/bridges.json")", "conf/bridges.json", true},
        // No name tells this one for a bridges file: only its server does.
        {"subfolder, other name", R"("conf/north.json")", "conf/north.json", true},
        {"absolute", R"("/etc/orvexbridged/north.json")", "north.json", true},
        {"climbs out", R"("../outside.json")", "../outside.json", false},
        {"missing", R"("missing.json")", "bridges.json", false},
        {"link out", R"("link.json")", "../target.json", false},
    };
    return cases;
}

// Writes one case under root/folder: the server file, the bridges text, and
// for "link out" a link inside the folder to the text outside. Returns the
// folder.
inline std::string writeDeploymentCase(const std::string& root, const DeploymentCase& c) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(root) / "deployment";
    fs::create_directories(folder / "conf");
    std::string member;
    if (*c.member != '\0') member = std::string(", \"bridgingConfigurationFileName\": ") + c.member;
    std::string server = kCaseServer;
    server.replace(server.find("%s"), 2, member);
    std::ofstream(folder / "orvexbridged_conf.json") << server;
    std::ofstream(folder / c.bridges) << kCaseBridges;
    if (std::string(c.name) == "link out") {
        fs::create_symlink(fs::absolute(folder / c.bridges), folder / "link.json");
    }
    return folder.string();
}

}  // namespace OrvexConfigValidate::Testing
