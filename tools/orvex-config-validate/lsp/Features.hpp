// The requests about one open document that the server answers, each by a
// feature of its own; the protocol layer finds them here by method.
#pragma once

#include <cstddef>
#include <string_view>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Documents.hpp"
#include "JsonRpc.hpp"
#include "ProjectIssues.hpp"
#include "TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {

struct FeatureContext {
    const Document& document;
    const TextPositions& positions;
    // For what the schemas allow at a place.
    const Validator& validator;
    const nlohmann::json& params;
    // The site rules' issues and the project file, for code actions.
    const ProjectIssues* project = nullptr;

    // The byte offset of params.position.
    std::size_t offset() const;
};

using Feature = Result (*)(const FeatureContext&);

// Null for a method no feature answers.
Feature featureFor(std::string_view method);

// Adds each feature's entry to the "capabilities" of initialize.
void addFeatureCapabilities(nlohmann::json& capabilities);

}  // namespace OrvexConfigValidate::Lsp
