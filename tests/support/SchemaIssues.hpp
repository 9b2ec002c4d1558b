// Helpers for reading what the schema stage contributed to a result.
#pragma once

#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate {

// The issues with one of the schema stage's codes, in order.
inline std::vector<Issue> schemaStageIssues(const ValidationResult& result) {
    std::vector<Issue> found;
    for (const Issue& issue : result.issues) {
        if (issue.code == "schema" || issue.code == "schema_engine" ||
            issue.code == "unknown_schema")
            found.push_back(issue);
    }
    return found;
}

inline std::vector<Issue> schemaIssues(const std::string& schemaId, const nlohmann::json& document,
                                       const ValidateOptions& options = {}) {
    return schemaStageIssues(validate(schemaId, document, options));
}

inline std::string describe(const std::vector<Issue>& issues) {
    std::string text;
    for (const Issue& issue : issues)
        text += "[" + issue.path + "] " + issue.code + ": " + issue.message + "\n";
    return text;
}

}  // namespace OrvexConfigValidate
