// compare OLD NEW: what changed between two versions and which issues the
// change brings or removes. Ends like diff(1): 0 same, 1 different, 2
// trouble; with --fail-on-new, 1 only for new issues of that severity or
// a graver one.
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Escape.hpp>
#include <orvexconfigvalidate/JsonWriter.hpp>

#include <orvexconfigvalidate/Report.hpp>
#include "Arguments.hpp"
#include "review/Commands.hpp"
#include "review/CompareReport.hpp"
#include "review/Version.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

enum class CompareFormat { Text, Json, Markdown, Patch };

struct CompareOptions {
    CompareFormat format = CompareFormat::Text;
    // The operands are the seven of git's external diff: path, old file,
    // old hash, old mode, new file, new hash, new mode.
    bool git = false;
    std::optional<Severity> failOnNew;
    VersionOptions version;
};

std::optional<Severity> severityNamed(const std::string& name) {
    if (name == "error") return Severity::Error;
    if (name == "warning") return Severity::Warning;
    if (name == "note") return Severity::Info;
    return std::nullopt;
}

std::optional<CompareFormat> formatNamed(const std::string& name) {
    if (name == "text") return CompareFormat::Text;
    if (name == "json") return CompareFormat::Json;
    if (name == "markdown") return CompareFormat::Markdown;
    if (name == "patch") return CompareFormat::Patch;
    return std::nullopt;
}

std::optional<std::string> readOptions(const SubcommandArguments& split, CompareOptions& options) {
    options.version.maxSize = kDefaultMaxSize;
    for (const auto& [name, value] : split.options) {
        if (name == "--format") {
            options.format = formatNamed(value).value_or(CompareFormat::Text);
        } else if (name == "--fail-on-new") {
            options.failOnNew = severityNamed(value);
        } else if (name == "--schema") {
            options.version.schemaId = value;
        } else if (name == "--strict") {
            options.version.validate.strict = true;
        } else if (name == "--git") {
            options.git = true;
        } else if (const std::optional<std::size_t> size = parseSize(value)) {
            options.version.maxSize = *size;
        } else {
            return "invalid --max-size '" + value + "'";
        }
    }
    if (options.git) {
        if (split.operands.size() != 7) {
            return std::string(
                "compare --git takes the seven arguments git gives an external diff");
        }
        // Both versions are judged by the path: its schema, its deployment.
        options.version.name = split.operands[0];
        return std::nullopt;
    }
    if (split.operands.size() != 2) return std::string("compare takes two paths: OLD NEW");
    return std::nullopt;
}

CommandResult trouble(const std::string& message) {
    CommandResult result;
    result.status = kUsageStatus;
    result.err =
        "orvex-config-validate: error: cannot compare: " + printable(message, LineBreaks::Escape) +
        "\n";
    return result;
}

// The patch of the one file compared; folders hold two.
std::optional<std::string> patchOf(const Comparison& comparison, const LoadedVersion& before,
                                   const LoadedVersion& after) {
    if (before.folder) return std::nullopt;
    for (int source = 0; source < 2; ++source) {
        if (before.documents[source] && after.documents[source]) {
            return jsonText(comparison.patches[source], 2) + "\n";
        }
    }
    return std::nullopt;
}

int statusOf(const Comparison& comparison, const CompareOptions& options) {
    if (!options.failOnNew) return comparison.same() ? 0 : 1;
    for (const IssueChange& change : comparison.introduced) {
        if (change.issue.severity <= *options.failOnNew) return 1;
    }
    return 0;
}

// git names an added or deleted file's other side /dev/null.
LoadedVersion load(const std::string& path, const CompareOptions& options) {
    if (options.git && path == "/dev/null") return LoadedVersion{};
    return loadVersion(path, options.version);
}

struct Operands {
    std::string before;
    std::string after;
};

Operands operandsOf(const std::vector<std::string>& operands, const CompareOptions& options) {
    if (options.git) return {operands[1], operands[4]};
    return {operands[0], operands[1]};
}

// Under git each version's files are named as git names them, the path's
// other deployment file as it lies in the working tree.
ComparedFiles namesOf(const LoadedVersion& before, const LoadedVersion& after,
                      const std::vector<std::string>& operands, const CompareOptions& options) {
    if (!options.git) {
        return {{before.files[0], before.files[1]}, {after.files[0], after.files[1]}};
    }
    ComparedFiles names;
    for (int source = 0; source < 2; ++source) {
        const std::string& old = before.files[source];
        const std::string& now = after.files[source];
        names.before[source] = "a/" + (old.empty() ? operands[0] : old);
        names.after[source] = "b/" + (now.empty() ? operands[0] : now);
    }
    return names;
}

// git stops its whole log at a driver that fails: a version that cannot be
// compared (one that does not parse) is shown as the change instead.
CommandResult notCompared(const std::vector<std::string>& operands, const std::string& side,
                          const std::string& error) {
    CommandResult result;
    result.out = "compare a/" + printable(operands[0]) + " b/" + printable(operands[0]) + "\n" +
                 side + printable(operands[0]) +
                 ": not compared: " + printable(error, LineBreaks::Escape) + "\n";
    return result;
}

std::string judgedWithLines(const LoadedVersion& before, const LoadedVersion& after) {
    return judgedWithLine(before) + judgedWithLine(after);
}

}  // namespace

CommandResult runCompare(const std::vector<std::string>& args) {
    const SubcommandArguments split = splitArguments(args);
    if (!split.error.empty()) return usageFailure(split.error);
    CompareOptions options;
    if (const std::optional<std::string> error = readOptions(split, options)) {
        return usageFailure(*error);
    }
    const Operands operands = operandsOf(split.operands, options);
    const LoadedVersion before = load(operands.before, options);
    if (!before.error.empty()) {
        return options.git ? notCompared(split.operands, "a/", before.error)
                           : trouble(before.error);
    }
    const LoadedVersion after = load(operands.after, options);
    if (!after.error.empty()) {
        return options.git ? notCompared(split.operands, "b/", after.error) : trouble(after.error);
    }
    if (before.folder != after.folder) return trouble("compare two files or two folders");
    Comparison comparison;
    try {
        comparison = compareVersions(before.view(), after.view());
    } catch (const std::invalid_argument& error) {
        return options.git ? notCompared(split.operands, "b/", error.what())
                           : trouble(error.what());
    }
    const ComparedFiles files = namesOf(before, after, split.operands, options);
    CommandResult result;
    // git takes any other status of an external diff as its failure.
    result.status = options.git ? 0 : statusOf(comparison, options);
    if (options.git) {
        // The path is the repository's: a file name can hold anything.
        result.out = "compare a/" + printable(split.operands[0]) + " b/" +
                     printable(split.operands[0]) + "\n";
    }
    switch (options.format) {
        case CompareFormat::Text:
            result.out += judgedWithLines(before, after) + compareText(comparison, files);
            break;
        case CompareFormat::Json:
            result.out = compareJson(comparison, files);
            break;
        case CompareFormat::Markdown:
            result.out = compareMarkdown(comparison, files);
            break;
        case CompareFormat::Patch: {
            const std::optional<std::string> patch = patchOf(comparison, before, after);
            if (!patch) return trouble("--format patch takes two files of the same kind");
            result.out = *patch;
            break;
        }
    }
    return result;
}

}  // namespace OrvexConfigValidate::Tool
