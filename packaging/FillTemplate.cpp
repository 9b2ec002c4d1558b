// Fills the man page and completion templates with what only the library
// and the tool know: the issue code table, the schema ids and the tool's
// table of options. Generating these at build time keeps the installed
// documentation and completion from drifting away from the tool.
//
//   orvex_fill_template TEMPLATE OUTPUT VERSION
//
// Placeholders: {{VERSION}}, {{ISSUE_CODES_ROFF}} (a man page list of every
// code), {{MEMBERS_ROFF}} (one of every configuration member),
// {{ISSUE_CODE_WORDS}} and {{SCHEMA_IDS}} (space-separated words),
// {{SUBCOMMANDS}}, {{SUBCOMMAND_PATTERN}}, {{VALUE_CASES}} and
// {{OPTION_CASES}} (the completion's words and case branches).
#include <orvexconfigvalidate/MemberCatalogue.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Options.hpp"

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

std::string issueCodesRoff() {
    std::string out;
    for (const auto& info : issueCodes()) {
        out += ".TP\n.BR " + roffText(info.code) + " \" (" + severityName(info.severity, "note") +
               ")\"\n" + roffText(info.summary) + ".\n";
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

using Tool::OptionInfo;
using Tool::OptionValue;

std::string spaced(const std::vector<std::string_view>& words, const char* separator) {
    std::string out;
    for (const std::string_view word : words)
        out += (out.empty() ? "" : separator) + std::string(word);
    return out;
}

// What the completion does with the word after an option.
std::string valueAction(const OptionInfo& option) {
    const auto words = [](const std::string& list) {
        return "_orvex_config_validate_words '" + list + "'; return ;;";
    };
    switch (option.value) {
        case OptionValue::Word:
            return words(std::string(option.words));
        case OptionValue::SchemaId:
            return words(schemaIdWords());
        case OptionValue::IssueCode:
            return words(issueCodeWords());
        case OptionValue::Directory:
            return "compopt -o filenames 2>/dev/null\n"
                   "        mapfile -t COMPREPLY < <(compgen -d -- \"$cur\"); return ;;";
        case OptionValue::File:
            return "compopt -o filenames 2>/dev/null\n"
                   "        mapfile -t COMPREPLY < <(compgen -f -- \"$cur\"); return ;;";
        case OptionValue::Other:
        case OptionValue::None:
            break;
    }
    return "return ;;";
}

std::string valueCases() {
    std::string out;
    for (const OptionInfo& option : Tool::optionTable()) {
        if (option.value == OptionValue::None) continue;
        const std::string command(option.command);
        out += "    \"" + command + " " + std::string(option.name) + "\"";
        if (!option.shortName.empty())
            out += " | \"" + command + " " + std::string(option.shortName) + "\"";
        out += ")\n        " + valueAction(option) + "\n";
    }
    return out;
}

std::string optionCases() {
    std::vector<std::string_view> commands{""};
    for (const std::string_view name : Tool::subcommandNames()) commands.push_back(name);
    std::string out;
    for (const std::string_view command : commands) {
        std::vector<std::string_view> names;
        for (const OptionInfo& option : Tool::optionTable()) {
            if (option.command != command) continue;
            names.push_back(option.name);
            if (!option.shortName.empty()) names.push_back(option.shortName);
        }
        out += "        \"" + std::string(command) + "\") _orvex_config_validate_words '" +
               spaced(names, " ") + "' ;;\n";
    }
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
    replaceAll(text, "{{SUBCOMMANDS}}", spaced(Tool::subcommandNames(), " "));
    replaceAll(text, "{{SUBCOMMAND_PATTERN}}", spaced(Tool::subcommandNames(), " | "));
    replaceAll(text, "{{VALUE_CASES}}\n", valueCases());
    replaceAll(text, "{{OPTION_CASES}}\n", optionCases());
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
