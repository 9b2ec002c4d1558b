#include "PartnerLookup.hpp"

#include <utility>
#include <vector>

#include "FileUri.hpp"

namespace OrvexConfigValidate::Lsp {

PartnerLookup::PartnerLookup(std::string root, DeploymentIndexOptions chosen)
    : root_(std::move(root)), options(std::move(chosen)) {}

FileText PartnerLookup::read(const std::string& path) {
    if (options.openBuffers) {
        if (std::optional<std::string> open = options.openBuffers(path)) {
            return FileText{std::move(open), ""};
        }
    }
    // Regular files only, never waiting: a named pipe there must not hold
    // the server.
    return readConfigurationFile(path, options.maxFileSize);
}

BridgesFileChoice PartnerLookup::bridgesOf(const std::string& serverFile) {
    const FileText text = read(serverFile);
    if (!text.text) return {};
    const ParsedText parsed = parseText(*text.text);
    // A server file that cannot be parsed names bridges.json beside it.
    static const nlohmann::json kNone;
    return bridgesFileFor(serverFile, parsed.ok() ? parsed.document() : kNone);
}

std::optional<std::string> PartnerLookup::serverOf(const std::string& bridgesFile) {
    std::vector<std::string> candidates;
    for (std::string folder = directoryOf(bridgesFile);; folder = directoryOf(folder)) {
        candidates.push_back((folder == "/" ? "" : folder) + "/" + kServerFileName);
        if (folder.empty() || folder == "/" || folder == root_) break;
    }
    candidates.insert(candidates.end(), toldServers.begin(), toldServers.end());
    for (const std::string& candidate : candidates) {
        if (candidate != bridgesFile && bridgesOf(candidate).path == bridgesFile) return candidate;
    }
    return std::nullopt;
}

void PartnerLookup::setServerFile(const std::string& path, bool isServer) {
    if (isServer) {
        toldServers.insert(path);
    } else {
        toldServers.erase(path);
    }
}

}  // namespace OrvexConfigValidate::Lsp
