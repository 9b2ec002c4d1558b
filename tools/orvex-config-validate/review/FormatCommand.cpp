// fmt: the canonical layout written in place through the writer of --fix,
// checked (--check) or shown as a diff (--diff).
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <system_error>
#include <utility>

#include <sys/stat.h>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Escape.hpp>
#include <orvexconfigvalidate/Format.hpp>

#include <orvexconfigvalidate/Report.hpp>
#include "Arguments.hpp"
#include "FixFiles.hpp"
#include "FixSource.hpp"
#include "SafeReplace.hpp"
#include "review/Commands.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

enum class FormatMode { Write, Check, Diff };

struct FormatOptions {
    FormatMode mode = FormatMode::Write;
    std::string schemaId;  // "" : by each file's name
    std::size_t maxSize = kDefaultMaxSize;
};

// A file whose layout changes, still open.
struct Reformatted {
    FileFix fix;
    std::string text;
};

std::optional<std::string> readOptions(const SubcommandArguments& split, FormatOptions& options) {
    for (const auto& [name, value] : split.options) {
        if (name == "--check" || name == "--diff") {
            if (options.mode != FormatMode::Write) return "fmt takes one of --check and --diff";
            options.mode = name == "--check" ? FormatMode::Check : FormatMode::Diff;
        } else if (name == "--schema") {
            options.schemaId = value;
        } else if (const std::optional<std::size_t> size = parseSize(value)) {
            options.maxSize = *size;
        } else {
            return "invalid --max-size '" + value + "'";
        }
    }
    if (split.operands.empty()) return std::string("fmt needs at least one FILE");
    for (const std::string& operand : split.operands) {
        if (operand == "-") return std::string("fmt rewrites files: name the file, not '-'");
    }
    return std::nullopt;
}

void refuse(CommandResult& result, const std::string& path, const std::string& why) {
    result.err += "orvex-config-validate: error: cannot format '" +
                  printable(path, LineBreaks::Escape) + "': " + printable(why) + "\n";
    result.status = kRefusedStatus;
}

std::string parseProblem(const FormatResult& formatted) {
    if (formatted.issues.empty()) return "not one JSON value";
    const Issue& issue = formatted.issues.front();
    if (!issue.location.known()) return issue.message;
    return "line " + std::to_string(issue.location.line) + ", column " +
           std::to_string(issue.location.column) + ": " + issue.message;
}

// A file however named: its device and inode.
using FileKey = std::pair<dev_t, ino_t>;

// The file's new layout, or nothing when it has it already, was refused, or
// was named before (by another spelling or through a link): a file is
// formatted, listed and written once, under the name it was first given.
std::optional<Reformatted> reformat(const std::string& path, const FormatOptions& options,
                                    std::set<FileKey>& seen, CommandResult& result) {
    FixRead read = readFixSource(path, options.maxSize);
    if (!read.source) {
        refuse(result, path, read.error);
        return std::nullopt;
    }
    const struct stat& status = read.source->status();
    if (!seen.insert({status.st_dev, status.st_ino}).second) return std::nullopt;
    const std::string schemaId =
        options.schemaId.empty() ? schemaIdForFileName(path) : options.schemaId;
    FormatResult formatted = OrvexConfigValidate::formatText(read.text, schemaId);
    if (!formatted.ok) {
        refuse(result, path, parseProblem(formatted));
        return std::nullopt;
    }
    if (formatted.text == read.text) return std::nullopt;
    TextEdit edit = changedSpan(read.text, formatted.text);
    FileFix fix{path, std::move(read.text), {std::move(edit)}, 1, std::move(read.source)};
    return Reformatted{std::move(fix), std::move(formatted.text)};
}

void showDiffs(const std::vector<Reformatted>& files, CommandResult& result) {
    std::error_code ec;
    const std::string here = std::filesystem::current_path(ec).string();
    for (const Reformatted& file : files) {
        if (const std::optional<std::string> diff = diffOf(file.fix, here)) {
            result.out += *diff;
        } else {
            refuse(result, file.fix.path,
                   "it is outside the working directory, where the "
                   "diff's file names start");
        }
    }
}

// Every file is written beside its original before any takes its place, so
// that one refused file leaves all as they were.
void writeAll(const std::vector<Reformatted>& files, CommandResult& result) {
    std::vector<Replacement> ready;
    for (const Reformatted& file : files) {
        std::string problem = replaceRefusal(*file.fix.source);
        if (problem.empty()) {
            ready.emplace_back(file.fix.source, file.text);
            problem = ready.back().problem();
            if (problem.empty()) problem = ready.back().changed();
        }
        if (!problem.empty()) refuse(result, file.fix.path, problem);
    }
    if (result.status == kRefusedStatus) return;
    for (std::size_t i = 0; i < ready.size(); ++i) {
        const std::string problem = ready[i].putInPlace();
        if (!problem.empty()) refuse(result, files[i].fix.path, problem);
    }
}

}  // namespace

CommandResult runFormat(const std::vector<std::string>& args) {
    const SubcommandArguments split = splitArguments(args);
    if (!split.error.empty()) return usageFailure(split.error);
    FormatOptions options;
    if (const std::optional<std::string> error = readOptions(split, options)) {
        return usageFailure(*error);
    }
    CommandResult result;
    std::vector<Reformatted> changed;
    std::set<FileKey> seen;
    for (const std::string& path : split.operands) {
        if (std::optional<Reformatted> file = reformat(path, options, seen, result)) {
            changed.push_back(std::move(*file));
        }
    }
    // A file that cannot be read or parsed stops the run: nothing is written.
    if (result.status == kRefusedStatus) return result;
    if (options.mode == FormatMode::Check) {
        for (const Reformatted& file : changed) {
            result.out += printable(file.fix.path, LineBreaks::Escape) + ": not formatted\n";
        }
    } else if (options.mode == FormatMode::Diff) {
        showDiffs(changed, result);
    } else {
        writeAll(changed, result);
        return result;
    }
    if (result.status == 0 && !changed.empty()) result.status = 1;
    return result;
}

}  // namespace OrvexConfigValidate::Tool
