#include "review/Subcommand.hpp"

#include <algorithm>

#include "SafeText.hpp"
#include "review/Commands.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

bool among(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
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
    if (name == "fmt") return runFormat(args);
    if (name == "compare") return runCompare(args);
    if (name == "effective") return runEffective(args);
    if (name == "graph") return runGraph(args);
    return std::nullopt;
}

}  // namespace OrvexConfigValidate::Tool
