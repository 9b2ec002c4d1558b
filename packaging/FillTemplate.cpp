// Fills the man page and completion templates with what only the library
// knows: its issue code table and its schema ids. Generating these at build
// time keeps the installed documentation from drifting away from the tool.
//
//   orvex_fill_template TEMPLATE OUTPUT VERSION
//
// Placeholders: {{VERSION}}, {{ISSUE_CODES_ROFF}} (a man page list of every
// code), {{MEMBERS_ROFF}} (one of every configuration member),
// {{ISSUE_CODE_WORDS}} and {{SCHEMA_IDS}} (space-separated words).
#include <orvexconfigvalidate/MemberCatalogue.hpp>
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

// "integer, required, 0 to 65535, seconds": what the schema and the
// catalogue say of a member's value.
std::string memberFacts(const MemberEntry& entry) {
    std::string facts = entry.type;
    if (entry.required) facts += ", required";
    if (!entry.range.empty()) facts += ", " + entry.range;
    if (!entry.unit.empty()) facts += ", " + entry.unit;
    const char* separator = ": ";
    for (const auto& [value, name] : entry.enumerators) {
        facts += separator + std::to_string(value) + " " + name;
        separator = ", ";
    }
    return facts;
}

std::string membersRoff() {
    std::string out;
    std::string schemaId;
    for (const MemberEntry& entry : memberCatalogue()) {
        if (entry.schemaId != schemaId) {
            schemaId = entry.schemaId;
            out += ".SS " + roffText(schemaId) + "\n";
        }
        out += ".TP\n.BR " + roffText(entry.pattern) + " \" (" + roffText(memberFacts(entry)) +
               ")\"\n" + roffText(entry.title + ". " + entry.description) + "\n";
        if (!entry.whenMissing.empty()) {
            out += ".br\n" + roffText("Missing or mistyped: read as " + entry.whenMissing + ".") +
                   "\n";
        }
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
    replaceAll(text, "{{MEMBERS_ROFF}}\n", membersRoff());
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
