#include "Arguments.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "Options.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

// The check's options, as the one table of options has them.
const OptionInfo* checkOption(const std::string& name) {
    return findOption("", name);
}

bool isValueOption(const std::string& name) {
    const OptionInfo* option = checkOption(name);
    return option != nullptr && option->value != OptionValue::None;
}

bool isFlagOption(const std::string& name) {
    const OptionInfo* option = checkOption(name);
    return option != nullptr && option->value == OptionValue::None;
}

// The long name of an option that also has a short one.
std::string longName(const std::string& name) {
    const OptionInfo* option = checkOption(name);
    return option == nullptr ? name : std::string(option->name);
}

// The options of a check before a reload: a usage error or "" when the
// option is one of them, nothing for any other option.
std::optional<std::string> applyReloadOption(CommandLine& line, const std::string& name,
                                             const std::string& value) {
    if (name == "--quiet") {
        line.quiet = true;
        return "";
    }
    std::string* target = name == "--config-test"    ? &line.configTest
                          : name == "--display-name" ? &line.displayName
                                                     : nullptr;
    if (target == nullptr) return std::nullopt;
    if (value.empty()) return "option '" + name + "' needs a file name";
    *target = value;
    return "";
}

// The options of the project file: a usage error or "" when the option is
// one of them, nothing for any other option.
std::optional<std::string> applyProjectOption(CommandLine& line, const std::string& name,
                                              const std::string& value) {
    if (name == "--report-accepted") {
        line.reportAccepted = true;
        return "";
    }
    if (name != "--project" && name != "--today") return std::nullopt;
    if (value.empty()) return "option '" + name + "' needs a value";
    (name == "--project" ? line.projectFile : line.today) = value;
    return "";
}

// The reload's and the project file's options.
std::optional<std::string> applyGroupedOption(CommandLine& line, const std::string& name,
                                              const std::string& value) {
    if (std::optional<std::string> reload = applyReloadOption(line, name, value)) return reload;
    return applyProjectOption(line, name, value);
}

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items) {
        text += (text.empty() ? "" : ", ") + item;
    }
    return text;
}

bool contains(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

// Sets the report format named; returns a usage error or "".
std::string applyFormat(CommandLine& line, const std::string& value) {
    static const std::pair<const char*, OutputFormat> kFormats[] = {
        {"text", OutputFormat::Text},     {"json", OutputFormat::Json},
        {"github", OutputFormat::Github}, {"sarif", OutputFormat::Sarif},
        {"junit", OutputFormat::Junit},   {"gitlab", OutputFormat::Gitlab},
    };
    for (const auto& [text, format] : kFormats) {
        if (value == text) {
            line.format = format;
            return "";
        }
    }
    return "unknown format '" + value + "' (use text, json, github, sarif, junit or gitlab)";
}

std::string setFixMode(CommandLine& line, const std::string& name) {
    const FixMode mode = name == "--fix" ? FixMode::Apply : FixMode::Diff;
    if (line.fix != FixMode::None && line.fix != mode) return "--fix and --diff cannot be combined";
    line.fix = mode;
    return "";
}

// The actions other than a check.
const std::vector<const char*> kNotChecks{"--explain", "--lsp", "--list-schemas", "--print-schema"};

// --fix and --diff change how a check ends; nothing else takes them.
std::string fixModeProblem(const CommandLine& line, const std::vector<std::string>& seen) {
    if (line.fix == FixMode::None) return "";
    const bool other = std::any_of(kNotChecks.begin(), kNotChecks.end(),
                                   [&seen](const char* name) { return contains(seen, name); });
    if (other)
        return std::string(line.fix == FixMode::Apply ? "--fix" : "--diff") +
               " applies to checks only";
    if (line.fix == FixMode::Diff && line.format != OutputFormat::Text) {
        return "--diff prints a diff and takes no --format";
    }
    return "";
}

// --max-size or --max-issues; returns a usage error or "".
std::string applyLimit(CommandLine& line, const std::string& name, const std::string& value) {
    if (name == "--max-size") {
        const auto size = parseSize(value);
        if (!size) {
            return "option '--max-size' needs a size in bytes, optionally with K, M or G "
                   "(for example 512M), not '" +
                   value + "'";
        }
        line.maxSize = *size;
        return "";
    }
    const auto count = parseCount(value);
    if (!count) {
        return "option '--max-issues' needs a number of issues (0 for no limit), not '" + value +
               "'";
    }
    line.maxIssues = *count;
    return "";
}

// Records one option; returns a usage error or "".
std::string applyOption(CommandLine& line, std::vector<std::string>& seen, const std::string& name,
                        const std::string& value) {
    if (isValueOption(name)) {
        if (contains(seen, name)) return "option '" + name + "' is given more than once";
        seen.push_back(name);
    }
    if (std::optional<std::string> grouped = applyGroupedOption(line, name, value)) return *grouped;
    if (name == "--schema") {
        line.schemaId = value;
    } else if (name == "--schema-dir") {
        if (value.empty()) return "option '--schema-dir' needs a directory";
        line.options.schemaDir = value;
    } else if (name == "--format") {
        return applyFormat(line, value);
    } else if (name == "--server") {
        line.serverFile = value;
    } else if (name == "--bridges") {
        line.bridgesFile = value;
    } else if (name == "--print-schema") {
        line.printSchemaId = value;
    } else if (name == "--explain") {
        line.explainCode = value;
    } else if (name == "--max-size" || name == "--max-issues") {
        return applyLimit(line, name, value);
    } else if (name == "--strict") {
        line.options.strict = true;
    } else if (name == "--fail-on-warning") {
        line.options.failOnWarning = true;
    } else if (name == "--fail-on-info") {
        line.options.failOnInfo = true;
    } else if (name == "--fix" || name == "--diff") {
        return setFixMode(line, name);
    } else if (name == "--list-schemas") {
        seen.push_back(name);
    } else if (name == "--help" || name == "-h") {
        seen.push_back("--help");
    } else if (name == "--version" || name == "--lsp") {
        seen.push_back(name);
    }
    return "";
}

bool hasInputs(const CommandLine& line) {
    return !line.files.empty() || !line.serverFile.empty() || !line.bridgesFile.empty() ||
           !line.configTest.empty();
}

// Files come from the editor; only the schema directory applies.
std::string lspUsageError(const CommandLine& line, const std::vector<std::string>& seen) {
    if (hasInputs(line)) return "--lsp takes no input files";
    if (contains(seen, "--max-issues")) return "--max-issues applies to checks only";
    if (!line.schemaId.empty() || contains(seen, "--list-schemas") ||
        contains(seen, "--print-schema")) {
        return "--lsp cannot be combined with --schema, --list-schemas or --print-schema";
    }
    return "";
}

// --config-test reads its own pair: the server file and the bridges file it
// names, or --bridges in place of that one.
std::string configTestUsageError(const CommandLine& line, const std::vector<std::string>& seen) {
    for (const char* other : {"--server", "--schema", "--format"}) {
        if (contains(seen, other))
            return std::string("--config-test cannot be combined with ") + other;
    }
    if (line.fix != FixMode::None) return "--config-test cannot be combined with --fix or --diff";
    if (!line.files.empty()) return "--config-test takes no FILE arguments";
    if (line.configTest == "-" || line.bridgesFile == "-") {
        return "--config-test reads files, not standard input";
    }
    return "";
}

// What -q and --display-name need of an ordinary check.
std::string checkOptionsUsageError(const CommandLine& line, const std::vector<std::string>& seen) {
    if (line.quiet && (line.format != OutputFormat::Text || line.fix == FixMode::Diff)) {
        return "-q applies to the text report only";
    }
    if (!contains(seen, "--display-name")) return "";
    if (line.files.size() != 1 || !line.serverFile.empty()) {
        return "--display-name names the one file checked: give one FILE, or use it with "
               "--config-test";
    }
    if (line.fix != FixMode::None) return "--display-name cannot be combined with --fix or --diff";
    return "";
}

std::string chooseCheck(CommandLine& line, const std::vector<std::string>& seen);

// Decides the action once every argument is read; returns a usage error or "".
std::string chooseAction(CommandLine& line, const std::vector<std::string>& seen) {
    if (contains(seen, "--help")) {
        line.action = Action::Help;
        return "";
    }
    if (contains(seen, "--version")) {
        line.action = Action::Version;
        return "";
    }
    std::string fixProblem = fixModeProblem(line, seen);
    if (!fixProblem.empty()) return fixProblem;
    if (contains(seen, "--explain")) {
        if (hasInputs(line)) return "--explain takes no input files";
        line.action = Action::Explain;
        return "";
    }
    if (contains(seen, "--lsp")) {
        std::string error = lspUsageError(line, seen);
        if (error.empty()) line.action = Action::LanguageServer;
        return error;
    }
    const bool list = contains(seen, "--list-schemas");
    const bool print = contains(seen, "--print-schema");
    if (list && print) return "--list-schemas and --print-schema cannot be combined";
    if (list || print) {
        if (hasInputs(line)) {
            return std::string(list ? "--list-schemas" : "--print-schema") +
                   " takes no input files";
        }
        line.action = list ? Action::ListSchemas : Action::PrintSchema;
        return "";
    }
    return chooseCheck(line, seen);
}

// A check of files, or the test before a reload; returns a usage error or "".
std::string chooseCheck(CommandLine& line, const std::vector<std::string>& seen) {
    if (contains(seen, "--config-test")) {
        line.action = Action::ConfigTest;
        return configTestUsageError(line, seen);
    }
    line.action = Action::Check;
    std::string optionsError = checkOptionsUsageError(line, seen);
    if (!optionsError.empty()) return optionsError;
    if (line.serverFile.empty() != line.bridgesFile.empty()) {
        return "--server and --bridges must be given together";
    }
    if (!hasInputs(line)) return "no input files";
    if (!line.schemaId.empty() && line.files.empty()) {
        return "--schema applies to FILE arguments, and none is given";
    }
    std::size_t stdinCount = std::count(line.files.begin(), line.files.end(), "-");
    stdinCount += (line.serverFile == "-") + (line.bridgesFile == "-");
    if (stdinCount > 1) return "standard input ('-') can be read only once";
    return "";
}

}  // namespace

std::optional<std::size_t> parseSize(const std::string& text) {
    std::size_t value = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const auto digit = static_cast<std::size_t>(text[i] - '0');
        if (value > (SIZE_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    if (i == 0) return std::nullopt;
    unsigned shift = 0;
    if (i + 1 == text.size()) {
        const char unit = text[i];
        shift = unit == 'K' || unit == 'k' ? 10 : unit == 'M' ? 20 : unit == 'G' ? 30 : 64;
        if (shift == 64) return std::nullopt;
    } else if (i != text.size()) {
        return std::nullopt;
    }
    if (shift != 0 && value > (SIZE_MAX >> shift)) return std::nullopt;
    return value << shift;
}

std::optional<std::size_t> parseCount(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return parseSize(text);
}

ParsedArguments parseArguments(const std::vector<std::string>& args) {
    ParsedArguments parsed;
    CommandLine& line = parsed.commandLine;
    std::vector<std::string> seen;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            line.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = longName(arg.substr(0, equals));
        std::string value;
        if (isValueOption(name)) {
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                parsed.error = "option '" + name + "' needs a value";
                return parsed;
            }
        } else if (isFlagOption(name)) {
            if (equals != std::string::npos) {
                parsed.error = "option '" + name + "' takes no value";
                return parsed;
            }
        } else {
            parsed.error = "unknown option '" + arg + "'";
            return parsed;
        }
        parsed.error = applyOption(line, seen, name, value);
        if (!parsed.error.empty()) return parsed;
    }
    parsed.error = chooseAction(line, seen);
    return parsed;
}

CheckPlan planChecks(const CommandLine& line, const std::vector<std::string>& knownIds) {
    CheckPlan plan;
    if (!line.schemaId.empty() && !contains(knownIds, line.schemaId)) {
        plan.error = "unknown schema id '" + line.schemaId + "' (known: " + joined(knownIds) + ")";
        return plan;
    }
    if (!line.serverFile.empty()) {
        plan.units.push_back({"Obs", {line.serverFile, line.bridgesFile}, true});
    }
    for (const auto& read : line.files) {
        // Reported and judged under its display name, read where it is.
        const std::string& file = line.displayName.empty() ? read : line.displayName;
        const std::string id = line.schemaId.empty() ? schemaIdForFileName(file) : line.schemaId;
        if (id.empty()) {
            plan.error = "cannot tell which schema '" + file + "' follows: pass --schema ID (" +
                         joined(knownIds) +
                         "), or name the file bridges.json or orvexbridged_conf.json, or check "
                         "the pair with --server FILE --bridges FILE";
            plan.units.clear();
            return plan;
        }
        plan.units.push_back({id, {file}, false});
        if (file != read) plan.units.back().readFrom = read;
    }
    return plan;
}

std::string helpText() {
    return R"(Usage: orvex-config-validate [OPTIONS] FILE...
       orvex-config-validate [OPTIONS] --server FILE --bridges FILE [FILE...]
       orvex-config-validate [OPTIONS] -t|--config-test SERVERFILE [--bridges FILE]
       orvex-config-validate --list-schemas | --print-schema ID | --explain CODE
       orvex-config-validate --lsp [--schema-dir DIR] [--strict]
       orvex-config-validate --help | --version
       orvex-config-validate compare|graph|fmt|effective ...   (see below)
       orvex-config-validate accept|prune-accepted [OPTIONS] FILE...   (see below)

Checks orvexbridged configuration files and reports every issue as
FILE:LINE:COLUMN: error|warning|note: POINTER: MESSAGE [CODE], sorted by file
and position (POINTER is the JSON pointer of the place in the file).

Inputs:
  FILE                 a file to check; "-" reads standard input. Without --schema,
                       a file named bridges.json is checked as BridgingConfiguration
                       and one named orvexbridged_conf.json as
                       BridgingServerConfiguration.
  DIRECTORY            check every deployment under it: a folder holding
                       orvexbridged_conf.json is checked as a pair with the
                       bridges file that its "bridgingConfigurationFileName"
                       names (bridges.json when absent); a bridges.json without
                       a server file is checked alone
  --schema ID          check every FILE against schema ID
  --server FILE        the server configuration (orvexbridged_conf.json) ...
  --bridges FILE       ... and the bridges file (bridges.json), checked together
                       as one "Obs" document, so that the rules between the two
                       files (server mode against groups) apply
  -t, --config-test SERVERFILE
                       test before the server starts or reloads: the server
                       file and the bridges file it names, read as the server
                       opens them (an absolute name as it stands, a relative
                       one against the server file's folder), checked as a
                       pair. Every diagnostic and a last line that says whether
                       the test passed go to standard error; standard output
                       stays empty. --bridges FILE reads the bridges file from
                       FILE instead (a new version about to be installed). Any
                       exit status other than 0 must stop the reload.
  --display-name NAME  report the one FILE (or the --config-test server file)
                       under NAME and judge it by NAME: the schema its name
                       implies, and the bridges file beside it; for a new
                       version checked in a temporary file

Options:
  --schema-dir DIR     use DIR/ID.schema.json (or DIR/common/ID.schema.json)
                       instead of the built-in schema of that id
  --fail-on-warning    a warning makes the file fail
  --fail-on-info       a note makes the file fail
  --strict             also warn about members that the schema does not name
                       (typing mistakes), with a suggestion when a known name is
                       close; group ids of bridges get suggestions too
  --max-size SIZE      refuse inputs larger than SIZE bytes (K, M, G suffixes;
                       default 512M)
  --max-issues N       list at most N issues of each file (default 1000; 0 lists
                       all); the summary, the counts and the exit status still
                       count every issue, and each report says how many were
                       not shown
  --fix                write the safe fixes into the files (each through a new
                       file beside it that keeps owner, group, mode and
                       extended attributes), then report what remains
  --diff               print the safe fixes as a unified diff (for git apply)
                       and change nothing
  -q, --quiet          list only what fails the check: errors, and warnings or
                       notes that --fail-on-warning or --fail-on-info make
                       count; no summary, and no last line when it passes
  --format FORMAT      text (default): one line per issue and a summary;
                       json: one JSON report; github: GitHub Actions
                       annotations; sarif: a SARIF 2.1.0 log; junit: JUnit XML;
                       gitlab: a GitLab Code Quality report
  --project FILE       the project file (accepted issues, severities); without
                       it, the nearest orvex-project.json above each file
  --today DAY          judge expiry dates on DAY (YYYY-MM-DD) instead of today
                       (UTC)
  --report-accepted    also list the issues the project file accepts, marked
                       with their reason (they still do not count)
  --list-schemas       print the schema ids
  --print-schema ID    print the built-in schema ID (for an editor)
  --explain CODE       what an issue code means, why it matters, how to fix it
  --lsp                serve editors as a language server on standard input and
                       output (--schema-dir and --strict apply to every file)
  -h, --help           print this help
  --version            print the version

Colour is used when standard output is a terminal and NO_COLOR is not set.

A member written twice in one object is a warning (duplicate_key): the later
value is the one the server uses.

Exit status: 0 every file is ok, 1 some file is not ok, 2 usage error, an
input that cannot be read or is not one JSON document, or a failed write of
the report, 3 --fix or --diff refused a file (then --fix has written nothing)
or --fix could not put a fixed file in place.

Subcommands (the first argument; a file of that name is checked as ./NAME;
'orvex-config-validate SUBCOMMAND --help' tells how each is called):
  compare              what changed between two files or deployment folders,
                       groups and bridges matched by id, and the issues the
                       change brings or removes (exit status as diff's)
  graph                the server, its bridges and their groups as DOT,
                       Mermaid or JSON; what removing a group breaks
  fmt                  lay files out canonically, in place or checked
  effective            the files as the server runs them: defaulted and forced
                       values, each with its reason and pointer
  accept               check the files, then add an entry to the project file
                       for each issue found, with its reason (required) and
                       last day; the manual and docs/project-file.md tell how
  prune-accepted       check the files, then remove the project file's entries
                       that accepted nothing; refused unless every file the
                       entries name was checked
)";
}

}  // namespace OrvexConfigValidate::Tool
