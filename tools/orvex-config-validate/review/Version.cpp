#include "review/Version.hpp"

#include <filesystem>
#include <system_error>
#include <utility>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>

namespace OrvexConfigValidate::Tool {

namespace {

std::string parseProblem(const std::string& path, const ParsedText& parsed) {
    std::string where = "'" + path + "'";
    if (parsed.issues().empty()) return where + " is not JSON";
    const Issue& issue = parsed.issues().front();
    if (issue.location.known()) {
        where +=
            ":" + std::to_string(issue.location.line) + ":" + std::to_string(issue.location.column);
    }
    return where + ": " + issue.message;
}

LoadedVersion loadFile(const std::string& path, const VersionOptions& options);

// A folder without a server file holds a bridges file alone, as the check
// of a folder takes it.
LoadedVersion loadFolder(const std::string& path, const VersionOptions& options) {
    const std::filesystem::path folder(path);
    std::error_code ec;
    if (!std::filesystem::exists(folder / kServerFileName, ec) &&
        std::filesystem::exists(folder / kBridgesFileName, ec)) {
        LoadedVersion alone = loadFile((folder / kBridgesFileName).string(), options);
        alone.folder = true;
        return alone;
    }
    LoadedVersion version;
    version.folder = true;
    DeploymentOptions deployment;
    deployment.validate = options.validate;
    deployment.maxFileSize = options.maxSize;
    const std::string serverFile = (std::filesystem::path(path) / kServerFileName).string();
    Deployment found = checkDeployment(serverFile, deployment);
    version.files[0] = found.serverFile;
    version.files[1] = found.bridgesFound ? found.bridgesFile : "";
    for (int source = 0; source < 2; ++source) {
        std::optional<ParsedText>& parsed = source == 0 ? found.server : found.bridges;
        if (parsed && !parsed->ok()) {
            version.error = parseProblem(version.files[source], *parsed);
            return version;
        }
        version.documents[source] = std::move(parsed);
    }
    if (!version.documents[0]) version.error = "'" + serverFile + "' cannot be read";
    version.issues = std::move(found.result.issues);
    return version;
}

LoadedVersion loadFile(const std::string& path, const VersionOptions& options) {
    LoadedVersion version;
    FileText read = readConfigurationFile(path, options.maxSize);
    if (!read.text) {
        version.error = "'" + path + "': " + read.error;
        return version;
    }
    ParsedText parsed = parseText(*read.text);
    if (!parsed.ok()) {
        version.error = parseProblem(path, parsed);
        return version;
    }
    const std::string schemaId =
        options.schemaId.empty() ? schemaIdForFileName(path) : options.schemaId;
    const int source = schemaId == kBridgesSchemaId ? 1 : 0;
    if (!schemaId.empty()) {
        ValidationResult result = validateText(schemaId, parsed, options.validate);
        for (Issue& issue : result.issues) issue.source = source;
        version.issues = std::move(result.issues);
    }
    version.files[source] = path;
    version.documents[source] = std::move(parsed);
    return version;
}

}  // namespace

VersionDocuments LoadedVersion::view() const {
    VersionDocuments out;
    if (documents[0]) out.server = &documents[0]->document();
    if (documents[1]) out.bridges = &documents[1]->document();
    out.issues = issues;
    return out;
}

LoadedVersion loadVersion(const std::string& path, const VersionOptions& options) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return loadFolder(path, options);
    return loadFile(path, options);
}

std::uint64_t versionBytes(const std::string& path, std::size_t maxSize) {
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) {
        const std::uintmax_t size =
            std::filesystem::is_regular_file(path, ec) ? std::filesystem::file_size(path, ec) : 0;
        return ec ? 0 : size;
    }
    DeploymentIndexOptions options;
    options.maxFileSize = maxSize;
    options.walk = false;
    DeploymentIndex index(path, options);
    // Asking who claims the folder's bridges file makes the index learn the
    // folder: its server file and the bridges file that one names, or its
    // bridges file alone.
    index.serverOf(joinPath(path, kBridgesFileName));
    return index.plan().totalBytes();
}

}  // namespace OrvexConfigValidate::Tool
