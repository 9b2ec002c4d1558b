#include "GithubFormat.hpp"

#include "OutputText.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

std::string escapeWorkflow(std::string_view text, bool property) {
    std::string out;
    for (const char c : printableText(text)) {
        if (c == '%') {
            out += "%25";
        } else if (c == '\r') {
            out += "%0D";
        } else if (c == '\n') {
            out += "%0A";
        } else if (property && c == ':') {
            out += "%3A";
        } else if (property && c == ',') {
            out += "%2C";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string escapeWorkflowData(std::string_view text) {
    return escapeWorkflow(text, false);
}

std::string escapeWorkflowProperty(std::string_view text) {
    return escapeWorkflow(text, true);
}

std::string formatGithub(const Report& report) {
    std::string out;
    for (const Diagnostic& d : report.diagnostics) {
        out += "::";
        out += severityName(d.severity, "notice");
        out += " file=" + escapeWorkflowProperty(printable(report.files.at(d.file).name));
        if (d.position) {
            out += ",line=" + std::to_string(d.position->line) +
                   ",col=" + std::to_string(d.position->column);
        }
        out += ",title=" + escapeWorkflowProperty(d.code);
        out += "::" + escapeWorkflowData(issueText(d, true)) + "\n";
    }
    // A plain line; its text cannot begin with "::", so it is never read as a command.
    return out + summaryLine(report);
}

}  // namespace OrvexConfigValidate::Tool
