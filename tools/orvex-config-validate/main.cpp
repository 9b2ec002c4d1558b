// orvex-config-validate: checks orvexbridged configuration files and reports
// compiler-style diagnostics or a JSON report.
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Escape.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include <orvexconfigvalidate/Report.hpp>
#include <orvexconfigvalidate/SiteRules.hpp>
#include "Arguments.hpp"
#include "Check.hpp"
#include "ConfigTest.hpp"
#include "Deployments.hpp"
#include "Explain.hpp"
#include "FixRun.hpp"
#include "GithubFormat.hpp"
#include "JunitFormat.hpp"
#include "Output.hpp"
#include "ProjectCommands.hpp"
#include "Report.hpp"
#include "SarifFormat.hpp"
#include "SchemaWarnings.hpp"
#include "lsp/Run.hpp"
#include "review/Subcommand.hpp"

namespace {

using namespace OrvexConfigValidate;
using namespace OrvexConfigValidate::Tool;

const char* const kProgram = "orvex-config-validate";

// A reader that stopped reading (`| head -1`) ends the program quietly,
// with the status a shell shows for a pipe closed under a writer.
constexpr int kReaderGoneStatus = 128 + SIGPIPE;

// The last documents checked are left to the end of the process instead of
// being torn down piece by piece; reachable from here, so leak checkers do
// not count them.
KeptDocuments* keptDocuments = nullptr;

// The message quotes arguments, which may hold escape sequences.
int usageError(const std::string& message) {
    std::cerr << kProgram << ": error: " << printable(message) << "\n"
              << "Try '" << kProgram << " --help' for more information.\n";
    return 2;
}

// The status to end with after writing standard output.
int written(const WriteResult& written, int status) {
    switch (written.outcome) {
        case WriteOutcome::Written:
            return status;
        case WriteOutcome::ReaderGone:
            return kReaderGoneStatus;
        case WriteOutcome::Failed:
            break;
    }
    std::cerr << kProgram << ": error: cannot write standard output: " << written.error << "\n";
    return 2;
}

// Writes to standard output; the status to end with when that failed.
int emit(const std::string& text, int status) {
    return written(writeAll(STDOUT_FILENO, text), status);
}

bool useColour(int fd = STDOUT_FILENO) {
    const char* noColour = std::getenv("NO_COLOR");
    return isatty(fd) == 1 && (noColour == nullptr || *noColour == '\0');
}

// The report, written as it is made.
int emitReport(const Report& report, OutputFormat format, int status, bool quiet) {
    OutputSink out(STDOUT_FILENO);
    if (quiet) {
        writeIssueLines(report, useColour(), out);
        return written(out.finish(), status);
    }
    switch (format) {
        case OutputFormat::Json:
            writeJson(report, out);
            break;
        case OutputFormat::Github:
            writeGithub(report, out);
            break;
        case OutputFormat::Sarif: {
            std::error_code ec;
            writeSarif(report, std::filesystem::current_path(ec).string(), ORVEX_TOOL_VERSION, out);
            break;
        }
        case OutputFormat::Junit:
            writeJunit(report, out);
            break;
        case OutputFormat::Gitlab:
            writeGitlabReport(report, [&out](std::string_view piece) { out << piece; });
            break;
        case OutputFormat::Text:
            writeText(report, useColour(), out);
            break;
    }
    return written(out.finish(), status);
}

// The project file could not be read or parsed: the run stops.
int projectFileError(const ProjectFileError& error) {
    std::cerr << kProgram << ": error: project file '" << printable(error.path, LineBreaks::Escape)
              << "': " << printable(error.message, LineBreaks::Escape) << "\n";
    return 2;
}

int check(const CommandLine& line, const ProjectCommand& command = {}) {
    const InputPlan plan = planInputs(line, OrvexConfigValidate::schemaIds());
    if (!plan.plan.error.empty()) return usageError(plan.plan.error);
    // The library quietly keeps its built-in schemas for a missing directory;
    // on the command line that is almost always a typing mistake.
    std::error_code ec;
    const std::string& schemaDir = line.options.schemaDir;
    if (!schemaDir.empty() && !std::filesystem::is_directory(schemaDir, ec)) {
        return usageError("schema directory '" + schemaDir + "' is not a directory");
    }
    for (const std::string& link : plan.skippedLinks) {
        if (line.quiet) break;
        std::cerr << kProgram << ": warning: skipped symbolic link '"
                  << printable(link, LineBreaks::Escape)
                  << "': it leads outside the folder that was named\n";
    }
    for (const std::string& warning : schemaDirectoryWarnings(schemaDir)) {
        if (!line.quiet) std::cerr << kProgram << ": warning: " << warning << "\n";
    }
    for (const std::string& folder : plan.emptyFolders) {
        std::cerr << kProgram << ": error: nothing to check in folder '"
                  << printable(folder, LineBreaks::Escape) << "': no "
                  << OrvexConfigValidate::kServerFileName << " or "
                  << OrvexConfigValidate::kBridgesFileName << " in it or below\n";
    }
    if (plan.nothingToCheck()) return kNothingToCheckStatus;
    std::string todayError;
    const std::string today = todayOf(line, todayError);
    if (!todayError.empty()) return usageError(todayError);
    std::optional<ProjectRun> projects;
    try {
        // SARIF and GitLab fingerprint every issue; accept names every one.
        const bool fingerprints = line.format == OutputFormat::Sarif ||
                                  line.format == OutputFormat::Gitlab ||
                                  command.action == ProjectAction::Accept;
        projects.emplace(line.projectFile, today, line.maxSize, line.reportAccepted, fingerprints);
    } catch (const ProjectFileError& error) {
        return projectFileError(error);
    }
    CheckOptions options;
    options.projects = &*projects;
    options.validate = line.options;
    options.maxSize = line.maxSize;
    options.countCharacters = line.format == OutputFormat::Sarif;
    options.maxIssues = line.maxIssues;
    const FixOutcome fixed = runFixes(line, plan, options);
    for (const std::string& error : fixed.errors) {
        std::cerr << kProgram << ": error: " << error << "\n";
    }
    if (fixed.refused) return kFixRefusedStatus;
    keptDocuments = new KeptDocuments;
    Report report;
    try {
        report = runPlan(plan, options, keptDocuments);
    } catch (const ProjectFileError& error) {
        return projectFileError(error);
    }
    projects->addProjectFiles(report, line.options);
    sortDiagnostics(report);
    if (command.action != ProjectAction::None) {
        std::string message;
        const int done = finishProjectCommand(command, *projects, line.projectFile, message);
        std::cerr << message;
        return done;
    }
    const int status = plan.emptyFolders.empty() ? exitStatus(report) : kNothingToCheckStatus;
    if (line.fix == FixMode::Diff) return emit(fixed.diff, status);
    if (line.fix == FixMode::Apply) report.fixesApplied = fixed.applied;
    if (line.quiet) keepFailing(report, line.options);
    return emitReport(report, line.format, status, line.quiet);
}

// Everything goes to standard error, as a test before a reload is read.
int configTest(const CommandLine& line) {
    const std::string& schemaDir = line.options.schemaDir;
    std::error_code ec;
    if (!schemaDir.empty() && !std::filesystem::is_directory(schemaDir, ec)) {
        return usageError("schema directory '" + schemaDir + "' is not a directory");
    }
    const ConfigTestOutcome outcome = runConfigTest(line, kProgram, useColour(STDERR_FILENO));
    const WriteResult result = writeAll(STDERR_FILENO, outcome.text);
    return result.outcome == WriteOutcome::Written ? outcome.status : 2;
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
    return emit(OrvexConfigValidate::jsonText(schema, 2) + "\n", 0);
}

// The project file whose site rules --explain tells: the one given, or the
// one in the working directory.
std::optional<Project> siteRulesProject(const std::string& given, std::uint64_t maxSize) {
    const std::optional<std::string> path =
        given.empty() ? findProjectFile(kProjectFileName) : std::optional<std::string>(given);
    if (!path) return std::nullopt;
    return readProject(*path, maxSize);
}

int explain(const std::string& code, const std::string& projectFile, std::uint64_t maxSize) {
    const OrvexConfigValidate::IssueCodeInfo* info = OrvexConfigValidate::describeIssueCode(code);
    // A site rule's code: the project file given, or the one here, says.
    std::optional<OrvexConfigValidate::Project> project;
    if (info == nullptr && code.rfind(OrvexConfigValidate::kSiteCodePrefix, 0) == 0) {
        try {
            project = siteRulesProject(projectFile, maxSize);
        } catch (const OrvexConfigValidate::ProjectFileError& error) {
            return projectFileError(error);
        }
        const IssueCodeInfo* site =
            project && project->siteRules ? describeSiteRule(*project->siteRules, code) : nullptr;
        if (site != nullptr) {
            // The project file's own words reach the terminal escaped.
            const std::string summary = printable(site->summary, LineBreaks::Escape);
            const std::string explanation = printable(site->explanation, LineBreaks::Escape);
            IssueCodeInfo shown = *site;
            shown.summary = summary;
            shown.explanation = explanation;
            return emit(explainText(shown), 0);
        }
    }
    if (info == nullptr) {
        return usageError("unknown issue code '" + code + "' (known: " + knownIssueCodes() + ")");
    }
    return emit(explainText(*info), 0);
}

}  // namespace

int main(int argc, char** argv) {
    // A closed pipe shows as EPIPE from write(), handled where written.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (const std::optional<CommandResult> done = runSubcommand(args)) {
        std::cerr << done->err;
        return emit(done->out, done->status);
    }
    const ProjectCommand command = readProjectCommand(args);
    if (!command.error.empty()) return usageError(command.error);
    const ParsedArguments parsed =
        parseArguments(command.action == ProjectAction::None ? args : command.checkArgs);
    if (!parsed.error.empty()) return usageError(parsed.error);
    const CommandLine& line = parsed.commandLine;
    if (command.action != ProjectAction::None) {
        if (line.action != Action::Check)
            return usageError("accept and prune-accepted check files");
        return check(line, command);
    }
    switch (line.action) {
        case Action::Help:
            return emit(helpText(), 0);
        case Action::Version:
            return emit(std::string(kProgram) + " " + ORVEX_TOOL_VERSION + "\n", 0);
        case Action::ListSchemas: {
            std::string ids;
            for (const auto& id : OrvexConfigValidate::schemaIds()) ids += id + "\n";
            return emit(ids, 0);
        }
        case Action::PrintSchema:
            return printSchema(line.printSchemaId);
        case Action::Explain:
            return explain(line.explainCode, line.projectFile, line.maxSize);
        case Action::LanguageServer: {
            OrvexConfigValidate::Lsp::CheckSettings defaults;
            defaults.options = line.options;
            return OrvexConfigValidate::Lsp::runLanguageServer(
                STDIN_FILENO, std::cout, ORVEX_TOOL_VERSION, defaults,
                OrvexConfigValidate::Lsp::AtStop::KeepToExit);
        }
        case Action::ConfigTest:
            return configTest(line);
        case Action::Check:
            break;
    }
    return check(line);
}
