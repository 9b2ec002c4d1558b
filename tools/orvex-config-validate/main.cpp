// orvex-config-validate: checks orvexbridged configuration files and reports
// compiler-style diagnostics or a JSON report.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Arguments.hpp"
#include "Deployments.hpp"
#include "Explain.hpp"
#include "GithubFormat.hpp"
#include "JunitFormat.hpp"
#include "Report.hpp"
#include "SarifFormat.hpp"

namespace {

using namespace OrvexConfigValidate::Tool;

const char* const kProgram = "orvex-config-validate";

int usageError(const std::string& message) {
    std::cerr << kProgram << ": error: " << message << "\n"
              << "Try '" << kProgram << " --help' for more information.\n";
    return 2;
}

bool useColour() {
    const char* noColour = std::getenv("NO_COLOR");
    return isatty(STDOUT_FILENO) == 1 && (noColour == nullptr || *noColour == '\0');
}

int check(const CommandLine& line) {
    const InputPlan plan = planInputs(line, OrvexConfigValidate::schemaIds());
    if (!plan.plan.error.empty()) return usageError(plan.plan.error);
    // The library quietly keeps its built-in schemas for a missing directory;
    // on the command line that is almost always a typing mistake.
    std::error_code ec;
    const std::string& schemaDir = line.options.schemaDir;
    if (!schemaDir.empty() && !std::filesystem::is_directory(schemaDir, ec)) {
        return usageError("schema directory '" + schemaDir + "' is not a directory");
    }
    const Report report = runPlan(plan, line.options, std::cin);
    const auto dumped = [](const nlohmann::ordered_json& json) {
        return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    };
    switch (line.format) {
        case OutputFormat::Json:
            std::cout << dumped(formatJson(report));
            break;
        case OutputFormat::Github:
            std::cout << formatGithub(report);
            break;
        case OutputFormat::Sarif:
            std::cout << dumped(formatSarif(report, std::filesystem::current_path(ec).string(),
                                            ORVEX_TOOL_VERSION));
            break;
        case OutputFormat::Junit:
            std::cout << formatJunit(report);
            break;
        case OutputFormat::Text:
            std::cout << formatText(report, useColour());
            break;
    }
    return exitStatus(report);
}

int printSchema(const std::string& id) {
    const nlohmann::json schema = OrvexConfigValidate::embeddedSchema(id);
    if (schema.is_null()) {
        std::string known;
        for (const auto& each : OrvexConfigValidate::schemaIds()) {
            known += (known.empty() ? "" : ", ") + each;
        }
        return usageError("unknown schema id '" + id + "' (known: " + known + ")");
    }
    std::cout << schema.dump(2) << "\n";
    return 0;
}

int explain(const std::string& code) {
    const OrvexConfigValidate::IssueCodeInfo* info = OrvexConfigValidate::describeIssueCode(code);
    if (info == nullptr) {
        return usageError("unknown issue code '" + code + "' (known: " + knownIssueCodes() + ")");
    }
    std::cout << explainText(*info);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ParsedArguments parsed = parseArguments(args);
    if (!parsed.error.empty()) return usageError(parsed.error);
    const CommandLine& line = parsed.commandLine;
    switch (line.action) {
        case Action::Help:
            std::cout << helpText();
            return 0;
        case Action::Version:
            std::cout << kProgram << " " << ORVEX_TOOL_VERSION << "\n";
            return 0;
        case Action::ListSchemas:
            for (const auto& id : OrvexConfigValidate::schemaIds()) std::cout << id << "\n";
            return 0;
        case Action::PrintSchema:
            return printSchema(line.printSchemaId);
        case Action::Explain:
            return explain(line.explainCode);
        case Action::Check:
            break;
    }
    return check(line);
}
