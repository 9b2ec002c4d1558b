// The schema engine reads a parsed document as nlohmann values, and any
// other document through JsonView: two instantiations of one evaluator.
// Engine tests evaluate each parsed document both ways and hold the second
// to the first, so that a document read through JsonView is judged alike.
#pragma once

#include <string>

#include "engine/CompiledSchema.hpp"

namespace OrvexConfigValidate {

// One issue as text, every field the engine writes.
inline std::string evaluatedIssueText(const Issue& issue) {
    std::string text = std::to_string(static_cast<int>(issue.severity)) + " [" + issue.path + "|" +
                       issue.pointer + "] " + issue.code + ": " + issue.message +
                       " (hint: " + issue.hint + "; suggestion: " + issue.suggestion + ";";
    for (const auto& [name, value] : issue.suggestedMembers) text += " " + name + "=" + value;
    return text + ")\n";
}

inline std::string evaluatedResultText(const ValidationResult& result) {
    std::string text = result.ok ? "ok\n" : "not ok\n";
    for (const Issue& issue : result.issues) text += evaluatedIssueText(issue);
    return text + "omitted " + std::to_string(result.omitted.errors) + "/" +
           std::to_string(result.omitted.warnings) + "\n";
}

// The result read as nlohmann values; `difference` is empty when the
// reading through JsonView gives the same, or both results otherwise.
inline ValidationResult evaluateBothReadings(const CompiledSchema& schema,
                                             const nlohmann::json& document,
                                             const EvaluationOptions& options,
                                             std::string& difference) {
    ValidationResult direct;
    evaluateSchema(schema, document, direct, options);
    ValidationResult viewed;
    evaluateSchemaThroughView(schema, document, viewed, options);
    const std::string expected = evaluatedResultText(direct);
    const std::string actual = evaluatedResultText(viewed);
    difference.clear();
    if (expected != actual)
        difference = "read as nlohmann values:\n" + expected + "read through JsonView:\n" + actual;
    return direct;
}

}  // namespace OrvexConfigValidate
