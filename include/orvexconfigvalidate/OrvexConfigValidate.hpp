// Validation of the bridging server's configuration documents.
//
// validate() checks a JSON document against one of the six schema ids
// ("BridgingConfiguration", "BridgingServerConfiguration", "Obs", "Group",
// "NetworkAddress", "enums"), then applies the cross-field rules that a
// schema cannot express. Problems of the document come back as issues; the
// call does not throw for them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

enum class Severity : std::int32_t { Error = 0, Warning = 1, Info = 2 };

struct Issue {
    Severity severity = Severity::Error;
    // JSON pointer of the offending location ("/" for the whole document);
    // semantic rules may append " (id=...)" after an array index.
    std::string path;
    // Stable snake_case identifier, meant for programs.
    std::string code;
    std::string message;
};

struct ValidationResult {
    bool ok = true;
    std::vector<Issue> issues;

    // Appends a copy of the issue; an Error makes the result not ok for good.
    void addIssue(Severity severity, const std::string& path, const std::string& code,
                  const std::string& message);
    bool hasErrors() const;
};

struct ValidateOptions {
    bool failOnWarning = false;
    bool failOnInfo = false;
    // Directory whose "<id>.schema.json" or "common/<id>.schema.json" files
    // replace the embedded schemas, for the rest of the process.
    std::string schemaDir;
};

// Safe to call from several threads at once.
ValidationResult validate(const std::string& schemaId, const nlohmann::json& document,
                          const ValidateOptions& options);

// The six schema ids, in catalog order.
std::vector<std::string> schemaIds();

// The embedded (built-in) schema document of an id, or null for an unknown id.
// Replacements from a schema directory are not reflected here.
nlohmann::json embeddedSchema(const std::string& schemaId);

}  // namespace OrvexConfigValidate
