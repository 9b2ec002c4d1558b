// A deployment of the bridging server: a server file and the bridges file
// it names, where each is found, how they are read, and how they are judged
// together.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// The bridges file a server file names: "bridges.json" beside it when the
// member is absent or not a string; a relative name under the server file's
// folder (never outside it); an absolute name by its last component, as the
// folder stands for the server's configuration directory.
struct BridgesFileChoice {
    std::string path;     // "" when no usable file is named
    bool named = false;   // the server sets the member to a string
    std::string problem;  // why no path, for a missing_bridges_file message
};
BridgesFileChoice bridgesFileFor(const std::string& serverFile, const nlohmann::json& server);

// Whether a path, once its symbolic links are followed, still lies inside
// folder (a path that does not exist, or a dangling link, reads nothing and
// counts as inside).
bool staysWithin(const std::string& folder, const std::string& path);

// A name in a folder, as reports print it: the working directory adds
// nothing ("north/bridges.json", not "./north/bridges.json").
std::string joinPath(const std::string& folder, const std::string& name);

// A file's text, or why it could not be had.
struct FileText {
    std::optional<std::string> text;
    std::string error;  // "cannot read file: ..." when there is no text
};

// Reads a regular file of at most maxSize bytes (no FIFO or device).
FileText readConfigurationFile(const std::string& path, std::uint64_t maxSize);

struct DeploymentOptions {
    ValidateOptions validate;
    std::uint64_t maxFileSize = std::uint64_t{512} << 20;
    // Where texts come from; by default readConfigurationFile. An editor
    // hands in its open buffers here.
    std::function<FileText(const std::string& path)> read;
};

// A server file and the bridges file it names, read and judged together.
// The issues' source is 0 for the server file and 1 for the bridges file;
// read_error and missing_bridges_file are issues too. A server that keeps
// its last good configuration takes the documents only from an ok result.
struct Deployment {
    std::string serverFile;
    std::string bridgesFile;  // "" when the server names no usable file
    bool bridgesFound = false;
    std::optional<ParsedText> server;   // absent when the file could not be read
    std::optional<ParsedText> bridges;  // absent when not found or not read
    ValidationResult result;
};

Deployment checkDeployment(const std::string& serverFile, const DeploymentOptions& options);
Deployment checkDeployment(const Validator& validator, const std::string& serverFile,
                           const DeploymentOptions& options);

}  // namespace OrvexConfigValidate
