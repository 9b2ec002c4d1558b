#include "Report.hpp"

#include <algorithm>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Escape.hpp>
#include <orvexconfigvalidate/JsonWriter.hpp>

namespace OrvexConfigValidate::Tool {

namespace {

const char* const kBold = "\033[1m";
const char* const kReset = "\033[0m";

const char* severityColour(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return "\033[1;31m";
        case Severity::Warning:
            return "\033[1;35m";
        default:
            return "\033[1;36m";
    }
}

std::string counted(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string fixesText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " fix" : " fixes");
}

void writeIssue(OutputSink& out, const std::string& name, const Diagnostic& d, bool colour) {
    std::string where = name;
    if (d.position) {
        where += ":" + std::to_string(d.position->line) + ":" + std::to_string(d.position->column);
    }
    const std::string severity = severityName(d.severity, "note");
    if (colour) {
        out << kBold << where << ":" << kReset << " ";
        out << severityColour(d.severity) << severity << ":" << kReset;
    } else {
        out << where << ": " << severity << ":";
    }
    out << " ";
    // The pointer of a place inside the file; nothing for the file as a whole.
    if (!d.path.empty() && d.path != "/") out << printable(d.path) << ": ";
    out << printable(d.message);
    if (!d.hint.empty()) out << " (" << printable(d.hint) << ")";
    out << " [" << d.code << "]";
    if (d.accepted) out << " (accepted: " << printable(d.acceptedReason) << ")";
    out << "\n";
}

}  // namespace

std::string notShownText(const Report& report, std::size_t file) {
    const std::size_t count = report.files.at(file).notShown.total();
    return printable(report.files.at(file).name) + ": " + std::to_string(count) + " more " +
           (count == 1 ? "issue" : "issues") + " not shown; --max-issues 0 shows all";
}

std::string checkedWithText(const Report& report, std::size_t file) {
    const FileEntry& entry = report.files.at(file);
    if (entry.schemaId == kServerSchemaId) {
        return printable(entry.name) + ": checked with the bridges file " +
               printable(entry.checkedWith) + ", which it names";
    }
    return printable(entry.name) + ": checked with the server file " +
           printable(entry.checkedWith) + ", which names it";
}

int exitStatus(const Report& report) {
    int status = 0;
    for (const auto& file : report.files) {
        if (file.unreadable) return 2;
        if (!file.ok) status = 1;
    }
    return status;
}

void writeText(const Report& report, bool colour, OutputSink& out) {
    writeIssueLines(report, colour, out);
    out << summaryLine(report);
}

void keepFailing(Report& report, const ValidateOptions& options) {
    auto& all = report.diagnostics;
    all.erase(std::remove_if(
                  all.begin(), all.end(),
                  [&options](const Diagnostic& d) { return !failsVerdict(d.severity, options); }),
              all.end());
}

void writeIssueLines(const Report& report, bool colour, OutputSink& out) {
    std::vector<std::string> names;
    names.reserve(report.files.size());
    for (const auto& file : report.files) names.push_back(printable(file.name));
    for (std::size_t file = 0; file < report.files.size(); ++file) {
        if (!report.files[file].checkedWith.empty()) out << checkedWithText(report, file) << "\n";
    }
    for (const auto& d : report.diagnostics) writeIssue(out, names.at(d.file), d, colour);
    for (std::size_t file = 0; file < report.files.size(); ++file) {
        if (report.files[file].notShown.total() != 0) out << notShownText(report, file) << "\n";
    }
}

std::string formatText(const Report& report, bool colour) {
    return collected([&](OutputSink& out) { writeText(report, colour, out); });
}

std::string summaryLine(const Report& report) {
    const IssueCounts counts = countIssues(report);
    std::size_t listed = 0;
    for (const Diagnostic& d : report.diagnostics) listed += d.accepted ? 0 : 1;
    const std::size_t notShown = counts.total() - listed;
    const std::string deployments =
        report.deployments ? counted(*report.deployments, "deployment") + ", " : "";
    return deployments + counted(report.files.size(), "file") +
           " checked: " + counted(counts.errors, "error") + ", " +
           counted(counts.warnings, "warning") + ", " + counted(counts.infos, "note") +
           (report.accepted != 0 ? ", " + std::to_string(report.accepted) + " accepted" : "") +
           (notShown != 0 ? "; " + counted(notShown, "issue") + " not shown" : "") +
           (report.fixesApplied ? "; " + fixesText(*report.fixesApplied) + " applied" : "") + "\n";
}

void writeJson(const Report& report, OutputSink& out) {
    writeJsonReport(report, [&out](std::string_view piece) { out << piece; });
}

std::string formatJsonText(const Report& report) {
    return collected([&](OutputSink& out) { writeJson(report, out); });
}

}  // namespace OrvexConfigValidate::Tool
