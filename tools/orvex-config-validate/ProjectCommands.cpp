#include "ProjectCommands.hpp"

#include <ctime>
#include <fstream>

#include <orvexconfigvalidate/Escape.hpp>

#include "Options.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeWhole(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

}  // namespace

ProjectCommand readProjectCommand(const std::vector<std::string>& args) {
    ProjectCommand command;
    if (args.empty() || (args[0] != "accept" && args[0] != "prune-accepted")) return command;
    command.action = args[0] == "accept" ? ProjectAction::Accept : ProjectAction::Prune;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const OptionInfo* own = findOption(args[0], args[i]);
        const bool mine = own != nullptr && (own->name == "--reason" || own->name == "--expires");
        if (!mine) {
            command.checkArgs.push_back(args[i]);
            continue;
        }
        if (i + 1 == args.size()) {
            command.error = "option '" + std::string(own->name) + "' needs a value";
            return command;
        }
        (own->name == "--reason" ? command.reason : command.expires) = args[++i];
    }
    if (command.action == ProjectAction::Accept && command.reason.empty()) {
        command.error = "accept needs --reason TEXT: every accepted issue says why";
    } else if (!command.expires.empty() && expired(command.expires, "0000-00-00")) {
        command.error =
            "option '--expires' needs a day as YYYY-MM-DD, not '" + command.expires + "'";
    }
    return command;
}

std::string todayOf(const CommandLine& line, std::string& error) {
    if (!line.today.empty()) {
        // A real day is one no earlier day has passed.
        if (expired(line.today, "0000-00-00")) {
            error = "option '--today' needs a day as YYYY-MM-DD, not '" + line.today + "'";
            return "";
        }
        return line.today;
    }
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &utc);
    return text;
}

int finishProjectCommand(const ProjectCommand& command, const ProjectRun& projects,
                         const std::string& given, std::string& message) {
    if (command.action == ProjectAction::Prune) {
        const std::vector<std::string> unjudged = projects.unjudgedFiles();
        if (!unjudged.empty()) {
            message = "prune-accepted: not every file the entries name was checked and judged (" +
                      printable(unjudged.front()) +
                      "); check them all in one run, so that no entry is removed unseen\n";
            return 2;
        }
        for (const auto& [path, text] : projects.prunedTexts()) {
            if (!writeWhole(path, text)) {
                message = "cannot write project file '" + printable(path) + "'\n";
                return 2;
            }
        }
        return 0;
    }
    std::size_t added = 0;
    for (const auto& [found, identities] : projects.reported()) {
        // Files without a project file get one in the working directory.
        const std::string path = !found.empty() ? found : !given.empty() ? given : kProjectFileName;
        const std::string before = readWhole(path);
        const std::string after =
            addAcceptEntries(before, identities, command.reason, command.expires);
        added += identities.size();
        if (after != before && !writeWhole(path, after)) {
            message = "cannot write project file '" + printable(path) + "'\n";
            return 2;
        }
    }
    message = "accepted " + std::to_string(added) + (added == 1 ? " issue\n" : " issues\n");
    return 0;
}

}  // namespace OrvexConfigValidate::Tool
