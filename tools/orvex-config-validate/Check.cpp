#include "Check.hpp"

#include <exception>

#include "Input.hpp"
#include "PathMapping.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

// The loaded inputs of one validation call and their entries in the report.
struct Validation {
    std::string schemaId;
    std::vector<const LoadedInput*> inputs;
    std::vector<std::size_t> entries;
};

void addDiagnostic(Report& report, Diagnostic diagnostic, const ValidateOptions& options) {
    if (failsVerdict(diagnostic.severity, options)) report.files.at(diagnostic.file).ok = false;
    report.diagnostics.push_back(std::move(diagnostic));
}

void runValidation(Report& report, const Validation& validation, const ValidateOptions& options) {
    std::vector<const nlohmann::json*> documents;
    for (const auto* input : validation.inputs) documents.push_back(&input->document);
    nlohmann::json document;
    if (documents.size() == 2) {
        // Built as the library's own composite: "server" first, then "bridges".
        document["server"] = *documents[0];
        document["bridges"] = *documents[1];
    } else {
        document = *documents.front();
    }
    ValidationResult result;
    try {
        result = validate(validation.schemaId, document, options);
    } catch (const std::exception& e) {
        // The rules stop on some malformed members (an "id" that is not a
        // string); report it against the document rather than crash.
        const auto* input = validation.inputs.front();
        addDiagnostic(
            report,
            {validation.entries.front(), Severity::Error, "/", "validation_failed",
             std::string("validation stopped: ") + e.what(), locateValue(input->text, {}).position},
            options);
        return;
    }
    for (const auto& issue : result.issues) {
        const FileLocation location = mapIssuePath(issue, validation.schemaId, documents);
        const auto* input = validation.inputs.at(location.file);
        addDiagnostic(
            report,
            {validation.entries.at(location.file), issue.severity, joinPointer(location.tokens),
             issue.code, issue.message, locateValue(input->text, location.tokens).position},
            options);
    }
}

}  // namespace

Report runChecks(const std::vector<CheckUnit>& units, const ValidateOptions& options,
                 std::istream& standardInput) {
    Report report;
    for (const auto& unit : units) {
        std::vector<LoadedInput> inputs;
        for (const auto& path : unit.paths) inputs.push_back(loadInput(path, standardInput));
        Validation validation;
        validation.schemaId = unit.schemaId;
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const std::string fileSchema =
                !unit.pair ? unit.schemaId
                           : (i == 0 ? "BridgingServerConfiguration" : "BridgingConfiguration");
            report.files.push_back({inputs[i].name, fileSchema, true, false});
            const std::size_t entry = report.files.size() - 1;
            if (inputs[i].error) {
                report.files[entry].unreadable = true;
                const InputError& error = *inputs[i].error;
                addDiagnostic(
                    report, {entry, Severity::Error, "", error.code, error.message, error.position},
                    options);
                continue;
            }
            validation.inputs.push_back(&inputs[i]);
            validation.entries.push_back(entry);
            if (unit.pair) validation.schemaId = fileSchema;
        }
        if (validation.inputs.empty()) continue;
        if (validation.inputs.size() == 2) validation.schemaId = "Obs";
        runValidation(report, validation, options);
    }
    return report;
}

}  // namespace OrvexConfigValidate::Tool
