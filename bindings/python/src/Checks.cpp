#include "Checks.hpp"

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>

namespace OrvexConfigValidate::Python {

namespace {

PyResult lone(const std::string& bridgesFile, const ValidateOptions& options) {
    const FileText read = readConfigurationFile(bridgesFile, DeploymentOptions().maxFileSize);
    if (!read.text) {
        ValidationResult result;
        result.addIssue(Severity::Error, "/", IssueCode::kReadError, read.error);
        return toPython(result);
    }
    return checkText(kBridgesSchemaId, *read.text, options);
}

PyDeployment folderProblem(const FolderProblem& problem) {
    ValidationResult result;
    result.addIssue(Severity::Error, "/", IssueCode::kReadError, problem.message);
    PyDeployment unit{problem.folder, "", toPython(result)};
    unit.result.issues.front().file = problem.folder;
    return unit;
}

void nameFiles(PyDeployment& unit) {
    for (PyIssue& issue : unit.result.issues) {
        issue.file =
            issue.source == 1 || unit.serverFile.empty() ? unit.bridgesFile : unit.serverFile;
    }
}

}  // namespace

PyResult checkText(const std::string& schemaId, const std::string& text,
                   const ValidateOptions& options) {
    return toPython(validateText(schemaId, text, options));
}

PyResult checkPair(const std::string& serverText, const std::string& bridgesText,
                   const ValidateOptions& options) {
    return toPython(validateTextPair(serverText, bridgesText, options));
}

PyResult checkValue(const std::string& schemaId, const nlohmann::json& document,
                    const ValidateOptions& options) {
    return toPython(validate(schemaId, document, options));
}

std::vector<PyDeployment> checkFolder(const std::string& folder, const ValidateOptions& options) {
    DeploymentIndex index(folder);
    const DeploymentPlan plan = index.plan();
    std::vector<PyDeployment> units;
    DeploymentOptions deploymentOptions;
    deploymentOptions.validate = options;
    for (const DeploymentUnit& found : plan.units) {
        PyDeployment unit{found.serverFile, found.bridgesFile, {}};
        unit.result = found.serverFile.empty()
                          ? lone(found.bridgesFile, options)
                          : toPython(checkDeployment(found.serverFile, deploymentOptions).result);
        nameFiles(unit);
        units.push_back(std::move(unit));
    }
    for (const FolderProblem& problem : plan.unreadableFolders) {
        units.push_back(folderProblem(problem));
    }
    return units;
}

PyFixed fixText(const std::string& schemaId, const std::string& text,
                const ValidateOptions& options) {
    const ValidationResult result = validateText(schemaId, text, options);
    AppliedFixes fixed = applySafeFixes(text, result.issues);
    return {std::move(fixed.text), fixed.applied};
}

std::pair<PyFixed, PyFixed> fixPair(const std::string& serverText, const std::string& bridgesText,
                                    const ValidateOptions& options) {
    const ValidationResult result = validateTextPair(serverText, bridgesText, options);
    AppliedFixes server = applySafeFixes(serverText, result.issues, 0);
    AppliedFixes bridges = applySafeFixes(bridgesText, result.issues, 1);
    return {{std::move(server.text), server.applied}, {std::move(bridges.text), bridges.applied}};
}

}  // namespace OrvexConfigValidate::Python
