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

// The lines of one file's issues as the text format writes them, the
// server file it was judged with, and what was not shown.
void writeIssueLines(OutputSink& out, const Report& report, std::size_t file,
                     const std::vector<const Diagnostic*>& issues) {
    if (!report.files[file].checkedWith.empty()) {
        out << escapeXml(checkedWithText(report, file), false) << "\n";
    }
    for (const Diagnostic* d : issues) out << escapeXml(issueLine(report, *d), false);
    if (report.files[file].notShown.total() != 0) {
        out << escapeXml(notShownText(report, file), false) << "\n";
    }
}

void writeTestCase(OutputSink& out, const Report& report, std::size_t index,
                   const std::vector<const Diagnostic*>& issues) {
    const FileEntry& file = report.files[index];
    out << "    <testcase" << attribute("name", printable(file.name))
        << attribute("classname", file.schemaId.empty() ? "file" : file.schemaId) << " time=\"0\"";
    const std::size_t count = issues.size() + file.notShown.total();
    if (count == 0 && file.checkedWith.empty()) {
        out << "/>\n";
        return;
    }
    out << ">\n";
    const bool one = count == 1 && !issues.empty();
    if (file.unreadable || !file.ok) {
        const char* element = file.unreadable ? "error" : "failure";
        out << "      <" << element
            << attribute("message",
                         one ? printable(issues.front()->message) : counted(count, "issue"))
            << attribute("type", one ? issues.front()->code : "issues") << ">";
        writeIssueLines(out, report, index, issues);
        out << "</" << element << ">\n";
    } else {
        out << "      <system-out>";
        writeIssueLines(out, report, index, issues);
        out << "</system-out>\n";
    }
    out << "    </testcase>\n";
}

}  // namespace

void writeJunit(const Report& report, OutputSink& out) {
    const auto byFile = diagnosticsByFile(report);
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
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out << "<testsuites" << attribute("name", "orvex-config-validate") << counts << ">\n";
    out << "  <testsuite" << attribute("name", "orvex-config-validate") << counts
        << " skipped=\"0\" time=\"0\">\n";
    if (report.accepted != 0) {
        // Accepted issues count nowhere else; the suite says how many there were.
        out << "    <properties><property" << attribute("name", "accepted")
            << attribute("value", std::to_string(report.accepted)) << "/></properties>\n";
    }
    for (std::size_t i = 0; i < report.files.size(); ++i) writeTestCase(out, report, i, byFile[i]);
    out << "  </testsuite>\n</testsuites>\n";
}

std::string formatJunit(const Report& report) {
    return collected([&](OutputSink& out) { writeJunit(report, out); });
}

}  // namespace OrvexConfigValidate::Tool
