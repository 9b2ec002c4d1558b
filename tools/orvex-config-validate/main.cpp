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
#include "Check.hpp"
#include "Report.hpp"
#include "lsp/Run.hpp"

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
    const CheckPlan plan = planChecks(line, OrvexConfigValidate::schemaIds());
    if (!plan.error.empty()) return usageError(plan.error);
    // The library quietly keeps its built-in schemas for a missing directory;
    // on the command line that is almost always a typing mistake.
    std::error_code ec;
    const std::string& schemaDir = line.options.schemaDir;
    if (!schemaDir.empty() && !std::filesystem::is_directory(schemaDir, ec)) {
        return usageError("schema directory '" + schemaDir + "' is not a directory");
    }
    const Report report = runChecks(plan.units, line.options, std::cin);
    if (line.format == OutputFormat::Json) {
        std::cout << formatJson(report).dump(2, ' ', false,
                                             nlohmann::json::error_handler_t::replace)
                  << "\n";
    } else {
        std::cout << formatText(report, useColour());
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
        case Action::LanguageServer: {
            OrvexConfigValidate::Lsp::CheckSettings defaults;
            defaults.options = line.options;
            return OrvexConfigValidate::Lsp::runLanguageServer(STDIN_FILENO, std::cout,
                                                               ORVEX_TOOL_VERSION, defaults);
        }
        case Action::Check:
            break;
    }
    return check(line);
}
