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
    std::string files[2];  // the server file and the bridges file, "" when none
    std::optional<ParsedText> documents[2];
    std::vector<Issue> issues;  // each issue's source says its file
    std::string error;          // why the version could not be had

    VersionDocuments view() const;
};

struct VersionOptions {
    std::string schemaId;  // for a lone file; "" : by its name
    std::size_t maxSize = 0;
    ValidateOptions validate;
};

// A folder is read as a deployment; a file by its schema: the server
// file's, the bridges file's, or another (kept as a server-side document,
// compared member by member).
LoadedVersion loadVersion(const std::string& path, const VersionOptions& options);

// How many bytes loadVersion will read from the path: a file's size, or a
// deployment folder's files as the deployment index pairs them.
std::uint64_t versionBytes(const std::string& path, std::size_t maxSize);

}  // namespace OrvexConfigValidate::Tool
