// One version of a configuration as the subcommands read it: a lone file,
// or a deployment folder (its server file and the bridges file it names),
// parsed and checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Compare.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate::Tool {

struct LoadedVersion {
    bool folder = false;
    std::string files[2];                    // the server file and the bridges file, "" when none
    std::optional<ParsedText> documents[2];  // those compared and shown
    std::vector<Issue> issues;               // each issue's source says its file
    std::string error;                       // why the version could not be had
    // A lone file judged with its deployment: which source it is, and the
    // other file of the deployment (named in files[]), read to judge it but
    // neither compared nor shown.
    int source = 0;
    std::optional<ParsedText> partner;
    // nlohmann copies of the documents above, for the review functions that
    // take them.
    std::optional<nlohmann::json> trees[2];
    std::optional<nlohmann::json> partnerTree;

    VersionDocuments view() const;
    // The documents of the deployment, the partner's included.
    const nlohmann::json* server() const;
    const nlohmann::json* bridges() const;
};

struct VersionOptions {
    std::string schemaId;  // for a lone file; "" : by its name
    std::size_t maxSize = 0;
    ValidateOptions validate;
    // The path a lone file is judged by (its name and its deployment), when
    // it is read from elsewhere (git's copy of an old version); "" : itself.
    std::string name;
};

// A folder is read as a deployment; a file by its schema: the server
// file's, the bridges file's, or another (kept as a server-side document,
// compared member by member). Without --schema, a server file is judged
// with the bridges file it names and a bridges file with the server file
// that names it, as the check judges a lone file; only the issues of the
// file itself are kept, and for a server file those of its bridges file.
LoadedVersion loadVersion(const std::string& path, const VersionOptions& options);

// "FILE: judged with the server file SERVER, which names it" (or the
// bridges file a server file names), ending in a line break; "" when the
// version is no lone file judged with a partner.
std::string judgedWithLine(const LoadedVersion& version);

}  // namespace OrvexConfigValidate::Tool
