// Helpers for the semantic-stage tests: run the stage on a fresh result and
// compare issues as readable one-line texts.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "semantic/SemanticRules.hpp"

namespace OrvexConfigValidate {

// "<severity>|<path>|<code>|<message>", severity as its number.
inline std::string describe(const Issue& issue) {
    return std::to_string(static_cast<int>(issue.severity)) + "|" + issue.path + "|" + issue.code +
           "|" + issue.message;
}

inline std::vector<std::string> describeAll(const ValidationResult& result) {
    std::vector<std::string> lines;
    for (const Issue& issue : result.issues) {
        lines.push_back(describe(issue));
    }
    return lines;
}

inline std::vector<std::string> semanticIssues(const std::string& schemaId,
                                               const nlohmann::json& document) {
    ValidationResult result;
    applySemanticRules(schemaId, document, result);
    return describeAll(result);
}

// Issue texts of the rule pass, for rules that do not depend on the kind.
inline std::vector<std::string> bridgingIssues(int mode, const nlohmann::json& bridging) {
    ValidationResult result;
    checkBridgingDocument(nlohmann::json{{"mode", mode}}, bridging, result);
    return describeAll(result);
}

inline const char* const kNoNetworking =
    "Group has no vortapoints, tx/rx, or appTransport \xE2\x80\x94 may blackhole";

}  // namespace OrvexConfigValidate
