// The project file's part of the protocol: site issues as diagnostics,
// their fixes and "Accept this issue" as code actions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "Documents.hpp"
#include "JsonRpc.hpp"
#include "ProjectIssues.hpp"
#include "TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {

// Appends the site issues to a published list of diagnostics.
void addSiteDiagnostics(JsonPayload& list, const std::vector<Issue>& issues, std::string_view text,
                        const TextPositions& positions, const std::string& uri);

// The fixes of site issues, and an "Accept this issue" action for each
// issue (built-in or site) whose place touches [begin, end].
void addProjectActions(nlohmann::json& actions, const ProjectIssues& project,
                       const Document& document, const TextPositions& positions, std::size_t begin,
                       std::size_t end);

}  // namespace OrvexConfigValidate::Lsp
