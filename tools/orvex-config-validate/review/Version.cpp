#include "review/Version.hpp"

#include <filesystem>
#include <system_error>
#include <utility>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>
#include <orvexconfigvalidate/Escape.hpp>

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

LoadedVersion loadAlone(const std::string& path, const VersionOptions& options);

// A folder without a server file holds a bridges file alone, as the check
// of a folder takes it.
LoadedVersion loadFolder(const std::string& path, const VersionOptions& options) {
    const std::filesystem::path folder(path);
    std::error_code ec;
    if (!std::filesystem::exists(folder / kServerFileName, ec) &&
        std::filesystem::exists(folder / kBridgesFileName, ec)) {
        LoadedVersion alone = loadAlone((folder / kBridgesFileName).string(), options);
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

// A lone file judged with the other file of its deployment, read as the
// check reads it; nothing when that cannot be done (the server file that
// names a bridges file is unreadable or broken now), so that it is judged
// alone.
std::optional<LoadedVersion> loadWithDeployment(const std::string& path,
                                                const VersionOptions& options) {
    const std::string& name = options.name.empty() ? path : options.name;
    const std::optional<std::string> serverFile = deploymentServerOf(name, options.maxSize);
    if (!serverFile) return std::nullopt;
    const int source = *serverFile == name ? 0 : 1;
    DeploymentOptions deployment;
    deployment.validate = options.validate;
    deployment.maxFileSize = options.maxSize;
    deployment.read = [&](const std::string& file) {
        const bool own = (file == *serverFile) == (source == 0);
        return readConfigurationFile(own ? path : file, options.maxSize);
    };
    Deployment found = checkDeployment(*serverFile, deployment);
    std::optional<ParsedText>& own = source == 0 ? found.server : found.bridges;
    std::optional<ParsedText>& partner = source == 0 ? found.bridges : found.server;
    if (!own || (source == 1 && (!partner || !partner->ok()))) return std::nullopt;
    LoadedVersion version;
    version.source = source;
    if (!own->ok()) {
        version.error = parseProblem(name, *own);
        return version;
    }
    version.files[0] = source == 0 ? name : found.serverFile;
    version.files[1] = source == 1 ? name : (found.bridgesFound ? found.bridgesFile : "");
    version.documents[source] = std::move(own);
    if (partner && partner->ok()) version.partner = std::move(partner);
    for (Issue& issue : found.result.issues) {
        if (source == 0 || issue.source == 1) version.issues.push_back(std::move(issue));
    }
    return version;
}

LoadedVersion loadAlone(const std::string& path, const VersionOptions& options) {
    LoadedVersion version;
    FileText read = readConfigurationFile(path, options.maxSize);
    if (!read.text) {
        version.error = "'" + path + "': " + read.error;
        return version;
    }
    const std::string& name = options.name.empty() ? path : options.name;
    ParsedText parsed = parseText(*read.text);
    if (!parsed.ok()) {
        version.error = parseProblem(name, parsed);
        return version;
    }
    const std::string schemaId =
        options.schemaId.empty() ? schemaIdForFileName(name) : options.schemaId;
    const int source = schemaId == kBridgesSchemaId ? 1 : 0;
    version.source = source;
    if (!schemaId.empty()) {
        ValidationResult result = validateText(schemaId, parsed, options.validate);
        for (Issue& issue : result.issues) issue.source = source;
        version.issues = std::move(result.issues);
    }
    version.files[source] = name;
    version.documents[source] = std::move(parsed);
    return version;
}

LoadedVersion loadFile(const std::string& path, const VersionOptions& options) {
    if (options.schemaId.empty()) {
        if (std::optional<LoadedVersion> judged = loadWithDeployment(path, options)) {
            return std::move(*judged);
        }
    }
    return loadAlone(path, options);
}

}  // namespace

VersionDocuments LoadedVersion::view() const {
    VersionDocuments out;
    if (trees[0]) out.server = &*trees[0];
    if (trees[1]) out.bridges = &*trees[1];
    out.serverText = documents[0] ? &*documents[0] : nullptr;
    out.bridgesText = documents[1] ? &*documents[1] : nullptr;
    if (!trees[1] && partnerTree) out.judgedBridges = &*partnerTree;
    out.issues = issues;
    return out;
}

const nlohmann::json* LoadedVersion::server() const {
    if (trees[0]) return &*trees[0];
    return partnerTree && source == 1 ? &*partnerTree : nullptr;
}

const nlohmann::json* LoadedVersion::bridges() const {
    if (trees[1]) return &*trees[1];
    return partnerTree && source == 0 ? &*partnerTree : nullptr;
}

std::string judgedWithLine(const LoadedVersion& version) {
    const std::string& own = version.files[version.source];
    const std::string& other = version.files[1 - version.source];
    if (version.folder || own.empty() || other.empty()) return "";
    return printable(own) +
           (version.source == 0
                ? ": judged with the bridges file " + printable(other) + ", which it names\n"
                : ": judged with the server file " + printable(other) + ", which names it\n");
}

namespace {

LoadedVersion withTrees(LoadedVersion version) {
    for (int source = 0; source < 2; ++source) {
        if (version.documents[source]) version.trees[source] = version.documents[source]->toJson();
    }
    if (version.partner) version.partnerTree = version.partner->toJson();
    return version;
}

}  // namespace

LoadedVersion loadVersion(const std::string& path, const VersionOptions& options) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return withTrees(loadFolder(path, options));
    return withTrees(loadFile(path, options));
}

}  // namespace OrvexConfigValidate::Tool
