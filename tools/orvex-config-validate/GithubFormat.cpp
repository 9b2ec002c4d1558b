#include "GithubFormat.hpp"

#include <orvexconfigvalidate/Configuration.hpp>

#include "OutputText.hpp"

namespace OrvexConfigValidate::Tool {

void writeGithub(const Report& report, OutputSink& out) {
    for (const Diagnostic& d : report.diagnostics) {
        out << "::" << severityName(d.severity, "notice");
        out << " file=" << escapeWorkflowProperty(printable(report.files.at(d.file).name));
        if (d.position) {
            out << ",line=" << std::to_string(d.position->line)
                << ",col=" << std::to_string(d.position->column);
        }
        out << ",title=" << escapeWorkflowProperty(d.code);
        out << "::" << escapeWorkflowData(issueText(d, true)) << "\n";
    }
    for (std::size_t file = 0; file < report.files.size(); ++file) {
        if (report.files[file].notShown.total() == 0) continue;
        out << "::notice file=" << escapeWorkflowProperty(printable(report.files[file].name))
            << ",title=issues not shown::" << escapeWorkflowData(notShownText(report, file))
            << "\n";
    }
    for (std::size_t file = 0; file < report.files.size(); ++file) {
        if (report.files[file].checkedWith.empty()) continue;
        out << "::notice file=" << escapeWorkflowProperty(printable(report.files[file].name))
            << ",title=checked with its "
            << (report.files[file].schemaId == kServerSchemaId ? "bridges" : "server")
            << " file::" << escapeWorkflowData(checkedWithText(report, file)) << "\n";
    }
    // A plain line; its text cannot begin with "::", so it is never read as a command.
    out << summaryLine(report);
}

std::string formatGithub(const Report& report) {
    return collected([&](OutputSink& out) { writeGithub(report, out); });
}

}  // namespace OrvexConfigValidate::Tool
