#include "OutputText.hpp"

namespace OrvexConfigValidate::Tool {

std::string issueText(const Diagnostic& diagnostic, bool withPointer) {
    std::string text;
    if (withPointer && !diagnostic.path.empty() && diagnostic.path != "/") {
        text = printable(diagnostic.path) + ": ";
    }
    text += printable(diagnostic.message);
    if (!diagnostic.hint.empty()) text += " (" + printable(diagnostic.hint) + ")";
    return text;
}

std::string issueLine(const Report& report, const Diagnostic& diagnostic) {
    std::string line = printable(report.files.at(diagnostic.file).name);
    if (diagnostic.position) {
        line += ":" + std::to_string(diagnostic.position->line) + ":" +
                std::to_string(diagnostic.position->column);
    }
    return line + ": " + severityName(diagnostic.severity, "note") + ": " +
           issueText(diagnostic, true) + " [" + diagnostic.code + "]" +
           (diagnostic.accepted ? " (accepted: " + printable(diagnostic.acceptedReason) + ")"
                                : "") +
           "\n";
}

}  // namespace OrvexConfigValidate::Tool
