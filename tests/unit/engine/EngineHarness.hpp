// Compiles and evaluates schemas on the engine directly, with referenced
// documents served from a map.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "EvaluationReadings.hpp"
#include "engine/CompiledSchema.hpp"

namespace OrvexConfigValidate {

// Documents by absolute URI; counts the requests it answers.
class MapSource {
  public:
    void add(const std::string& uri, const nlohmann::json& document) {
        documents[uri] = std::make_shared<const nlohmann::json>(document);
    }
    void alias(const std::string& uri, const std::string& existing) {
        documents[uri] = documents.at(existing);
    }
    std::shared_ptr<const nlohmann::json> get(const std::string& uri) const {
        return documents.at(uri);
    }
    SchemaDocumentSource source() {
        return [this](const std::string& uri) -> std::shared_ptr<const nlohmann::json> {
            requests.push_back(uri);
            const auto found = documents.find(uri);
            return found == documents.end() ? nullptr : found->second;
        };
    }
    std::vector<std::string> requests;

  private:
    std::map<std::string, std::shared_ptr<const nlohmann::json>> documents;
};

inline SchemaCompilation compileJson(const nlohmann::json& schema, MapSource* documents = nullptr,
                                     const std::string& retrievalUri = "") {
    static MapSource empty;
    MapSource& from = documents == nullptr ? empty : *documents;
    return compileSchema(std::make_shared<const nlohmann::json>(schema), retrievalUri,
                         from.source());
}

// The compile error of a schema ("" when it compiles).
inline std::string compileError(const nlohmann::json& schema, MapSource* documents = nullptr,
                                const std::string& retrievalUri = "") {
    const SchemaCompilation compilation = compileJson(schema, documents, retrievalUri);
    if (compilation.schema && !compilation.error.empty()) return "both schema and error";
    return compilation.error;
}

// Read both ways the engine reads a document, which must agree.
inline ValidationResult evaluateJson(const CompiledSchema& schema, const nlohmann::json& document,
                                     bool strict = false) {
    EvaluationOptions options;
    options.strict = strict;
    std::string difference;
    ValidationResult result = evaluateBothReadings(schema, document, options, difference);
    EXPECT_EQ(difference, "") << "on " << document.dump();
    return result;
}

// Evaluates a schema that must compile; a compile error fails the test and
// comes back as the only issue.
inline ValidationResult check(const nlohmann::json& schema, const nlohmann::json& document,
                              bool strict = false, MapSource* documents = nullptr) {
    const SchemaCompilation compilation = compileJson(schema, documents);
    if (!compilation.schema) {
        ADD_FAILURE() << "schema does not compile: " << compilation.error;
        ValidationResult failed;
        failed.addIssue(Severity::Error, "/", "schema_engine", compilation.error);
        return failed;
    }
    return evaluateJson(*compilation.schema, document, strict);
}

inline std::vector<std::string> messages(const ValidationResult& result) {
    std::vector<std::string> texts;
    for (const Issue& issue : result.issues) texts.push_back(issue.message);
    return texts;
}

inline std::vector<std::string> paths(const ValidationResult& result) {
    std::vector<std::string> texts;
    for (const Issue& issue : result.issues) texts.push_back(issue.path);
    return texts;
}

// The one message of a result that must hold exactly one issue.
inline std::string onlyMessage(const ValidationResult& result) {
    if (result.issues.size() != 1) {
        std::string all;
        for (const Issue& issue : result.issues)
            all += "[" + issue.path + "] " + issue.message + "\n";
        ADD_FAILURE() << result.issues.size() << " issues instead of one:\n" << all;
        return "";
    }
    return result.issues[0].message;
}

}  // namespace OrvexConfigValidate
