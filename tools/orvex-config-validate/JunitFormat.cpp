#include "JunitFormat.hpp"

#include <vector>

#include "OutputText.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

std::string counted(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string attribute(const std::string& name, std::string_view value) {
    return " " + name + "=\"" + escapeXml(value, true) + "\"";
}

// The lines of one file's issues, as the text format writes them.
std::string issueLines(const Report& report, const std::vector<const Diagnostic*>& issues) {
    std::string text;
    for (const Diagnostic* d : issues) text += issueLine(report, *d);
    return text;
}

std::string testCase(const Report& report, const FileEntry& file,
                     const std::vector<const Diagnostic*>& issues) {
    std::string out = "    <testcase" + attribute("name", printable(file.name)) +
                      attribute("classname", file.schemaId.empty() ? "file" : file.schemaId) +
                      " time=\"0\"";
    if (issues.empty()) return out + "/>\n";
    out += ">\n";
    const std::string lines = escapeXml(issueLines(report, issues), false);
    if (file.unreadable || !file.ok) {
        const char* element = file.unreadable ? "error" : "failure";
        const std::string& first = issues.front()->code;
        out += std::string("      <") + element +
               attribute("message", issues.size() == 1 ? printable(issues.front()->message)
                                                       : counted(issues.size(), "issue")) +
               attribute("type", issues.size() == 1 ? first : "issues") + ">" + lines + "</" +
               element + ">\n";
    } else {
        out += "      <system-out>" + lines + "</system-out>\n";
    }
    return out + "    </testcase>\n";
}

}  // namespace

std::string escapeXml(std::string_view text, bool attribute) {
    std::string out;
    for (const char c : printableText(text)) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += attribute ? "&quot;" : "\"";
                break;
            case '\t':
                out += attribute ? "&#9;" : "\t";
                break;
            case '\n':
                out += attribute ? "&#10;" : "\n";
                break;
            case '\r':
                // A raw CR is turned into LF by every XML parser.
                out += "&#13;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string formatJunit(const Report& report) {
    std::vector<std::vector<const Diagnostic*>> byFile(report.files.size());
    for (const Diagnostic& d : report.diagnostics) byFile.at(d.file).push_back(&d);
    std::size_t failures = 0;
    std::size_t errors = 0;
    for (const auto& file : report.files) {
        if (file.unreadable) {
            ++errors;
        } else if (!file.ok) {
            ++failures;
        }
    }
    const std::string counts = attribute("tests", std::to_string(report.files.size())) +
                               attribute("failures", std::to_string(failures)) +
                               attribute("errors", std::to_string(errors));
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<testsuites" + attribute("name", "orvex-config-validate") + counts + ">\n";
    out += "  <testsuite" + attribute("name", "orvex-config-validate") + counts +
           " skipped=\"0\" time=\"0\">\n";
    for (std::size_t i = 0; i < report.files.size(); ++i) {
        out += testCase(report, report.files[i], byFile[i]);
    }
    out += "  </testsuite>\n</testsuites>\n";
    return out;
}

}  // namespace OrvexConfigValidate::Tool
