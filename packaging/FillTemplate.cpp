// Fills the man page and completion templates with what only the library
// knows: its issue code table and its schema ids. Generating these at build
// time keeps the installed documentation from drifting away from the tool.
//
//   orvex_fill_template TEMPLATE OUTPUT VERSION
//
// Placeholders: {{VERSION}}, {{ISSUE_CODES_ROFF}} (a man page list of every
// code), {{ISSUE_CODE_WORDS}} and {{SCHEMA_IDS}} (space-separated words).
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace OrvexConfigValidate {

namespace {

// Text that roff shows as written: backslashes escaped, and a line that
// would start with a control character guarded.
std::string roffText(std::string_view text) {
    std::string out = "\\&";
    for (const char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    return out;
}

const char* severityWord(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return "error";
        case Severity::Warning:
            return "warning";
        case Severity::Info:
            return "note";
    }
    return "error";
}

std::string issueCodesRoff() {
    std::string out;
    for (const auto& info : issueCodes()) {
        out += ".TP\n.BR " + roffText(info.code) + " \" (" + severityWord(info.severity) + ")\"\n" +
               roffText(info.summary) + ".\n";
    }
    return out;
}

std::string issueCodeWords() {
    std::string out;
    for (const auto& info : issueCodes()) {
        out += (out.empty() ? "" : " ") + std::string(info.code);
    }
    return out;
}

std::string schemaIdWords() {
    std::string out;
    for (const auto& id : schemaIds()) out += (out.empty() ? "" : " ") + id;
    return out;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

int fill(const char* templatePath, const char* outputPath, const std::string& version) {
    std::ifstream in(templatePath, std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << templatePath << "\n";
        return 1;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    replaceAll(text, "{{VERSION}}", version);
    replaceAll(text, "{{ISSUE_CODES_ROFF}}\n", issueCodesRoff());
    replaceAll(text, "{{ISSUE_CODE_WORDS}}", issueCodeWords());
    replaceAll(text, "{{SCHEMA_IDS}}", schemaIdWords());
    if (text.find("{{") != std::string::npos) {
        std::cerr << templatePath << ": unknown placeholder left\n";
        return 1;
    }
    std::ofstream out(outputPath, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "cannot write " << outputPath << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

}  // namespace OrvexConfigValidate

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: orvex_fill_template TEMPLATE OUTPUT VERSION\n";
        return 2;
    }
    return OrvexConfigValidate::fill(argv[1], argv[2], argv[3]);
}
