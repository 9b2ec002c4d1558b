#include "review/Subcommand.hpp"

#include <algorithm>

#include <orvexconfigvalidate/Report.hpp>
#include "review/Commands.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

bool among(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

struct Usage {
    const char* name;
    const char* text;
};

const Usage kUsages[] = {
    {"compare",
     "Usage: orvex-config-validate compare [--as text|json|markdown|patch]\n"
     "           [--fail-on-new error|warning|info] [--schema ID] [--strict] OLD NEW\n"
     "       orvex-config-validate compare --git PATH OLD-FILE OLD-HEX OLD-MODE NEW-FILE "
     "NEW-HEX NEW-MODE\n\n"
     "Compares two files or two deployment folders: groups and bridges matched by id,\n"
     "members by value, then the issues the new version brings and those it no longer\n"
     "has. Exit status: 0 same, 1 different (with --fail-on-new: new issues of that\n"
     "severity or a graver one), 2 trouble. --as patch prints an RFC 6902 patch that\n"
     "turns OLD into NEW (two files only). --git takes the arguments git gives an\n"
     "external diff (diff.NAME.command) and ends with 0 unless in trouble.\n"},
    {"graph",
     "Usage: orvex-config-validate graph [--as dot|mermaid|json] [--impact GROUPID] PATH\n\n"
     "Draws the server, its bridges and their groups; undefined groups and repeated\n"
     "ids are nodes of their own. --impact lists the enabled bridges that removing\n"
     "the group breaks (as text, or JSON with --as json); status 1 when no group has\n"
     "that id.\n"},
    {"fmt",
     "Usage: orvex-config-validate fmt [--check|--diff] [--schema ID] FILE...\n\n"
     "Lays files out canonically (two-space indentation, members in the schema's order,\n"
     "values, line ends, byte-order mark and final line break as written), in place\n"
     "through the writer of --fix. --check lists the files not formatted, --diff prints\n"
     "a unified diff; both end with 1 when a file would change. A file that cannot be\n"
     "read or parsed is refused with status 3, and nothing is written.\n"},
    {"effective",
     "Usage: orvex-config-validate effective [--as text|json] PATH\n\n"
     "Prints the server and bridges files as the server runs them, then every\n"
     "defaulted or forced value with its reason and pointer.\n"},
};

// "SUBCOMMAND --help" or "-h" as the only argument after the name.
std::optional<CommandResult> usageOf(const std::vector<std::string>& args) {
    if (args.size() != 2 || (args[1] != "--help" && args[1] != "-h")) return std::nullopt;
    for (const Usage& usage : kUsages) {
        if (args[0] == usage.name) return CommandResult{0, usage.text, ""};
    }
    return std::nullopt;
}

}  // namespace

CommandResult usageFailure(const std::string& message) {
    CommandResult result;
    result.status = kUsageStatus;
    result.err = "orvex-config-validate: error: " + printable(message) +
                 "\nTry 'orvex-config-validate --help' for more information.\n";
    return result;
}

SubcommandArguments splitArguments(const std::vector<std::string>& args,
                                   const std::vector<std::string>& valued,
                                   const std::vector<std::string>& flags) {
    SubcommandArguments out;
    bool operandsOnly = false;
    for (std::size_t i = 1; i < args.size() && out.error.empty(); ++i) {
        const std::string& arg = args[i];
        if (operandsOnly || arg == "-" || arg.empty() || arg[0] != '-') {
            out.operands.push_back(arg);
        } else if (arg == "--") {
            operandsOnly = true;
        } else if (among(flags, arg)) {
            out.options.emplace_back(arg, "");
        } else {
            const std::size_t equals = arg.find('=');
            const std::string name = arg.substr(0, equals);
            if (!among(valued, name)) {
                out.error = "unknown option '" + arg + "' for " + args[0];
            } else if (equals != std::string::npos) {
                out.options.emplace_back(name, arg.substr(equals + 1));
            } else if (i + 1 < args.size()) {
                out.options.emplace_back(name, args[++i]);
            } else {
                out.error = "option '" + name + "' needs a value";
            }
        }
    }
    return out;
}

std::optional<CommandResult> runSubcommand(const std::vector<std::string>& args) {
    if (args.empty()) return std::nullopt;
    const std::string& name = args.front();
    if (std::optional<CommandResult> usage = usageOf(args)) return usage;
    if (name == "fmt") return runFormat(args);
    if (name == "compare") return runCompare(args);
    if (name == "effective") return runEffective(args);
    if (name == "graph") return runGraph(args);
    return std::nullopt;
}

}  // namespace OrvexConfigValidate::Tool
