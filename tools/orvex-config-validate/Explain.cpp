#include "Explain.hpp"

#include "Report.hpp"

#include <sstream>

namespace OrvexConfigValidate::Tool {

namespace {

constexpr std::size_t kWidth = 80;
const char* const kIndent = "  ";

// Words filled into indented lines of at most kWidth columns; a word longer
// than a line gets a line of its own.
std::string wrapped(std::string_view text) {
    std::istringstream words{std::string(text)};
    std::string out;
    std::string line;
    std::string word;
    while (words >> word) {
        if (!line.empty() && line.size() + 1 + word.size() > kWidth) {
            out += line + "\n";
            line.clear();
        }
        line += line.empty() ? kIndent + word : " " + word;
    }
    if (!line.empty()) out += line + "\n";
    return out;
}

}  // namespace

std::string explainText(const IssueCodeInfo& info) {
    std::string out = std::string(info.code) + " (" + severityName(info.severity, "note") + ")\n" +
                      wrapped(info.summary);
    out += "\nWhat it means:\n" + wrapped(info.explanation);
    out += "\nWhy it matters:\n" + wrapped(info.impact);
    out += "\nHow to fix it:\n" + wrapped(info.fix);
    return out;
}

std::string knownIssueCodes() {
    std::string text;
    for (const auto& info : issueCodes()) {
        text += (text.empty() ? "" : ", ") + std::string(info.code);
    }
    return text;
}

}  // namespace OrvexConfigValidate::Tool
