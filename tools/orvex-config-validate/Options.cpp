#include "Options.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

// The subcommands said --as and "info" before they spoke as the check
// does; those spellings are read still.
constexpr std::string_view kOldFormat = "--as";

}  // namespace

const std::vector<OptionInfo>& optionTable() {
    using V = OptionValue;
    static const std::vector<OptionInfo> kTable = {
        {"", "--schema", "", V::SchemaId, "", "", "", ""},
        {"", "--schema-dir", "", V::Directory, "", "", "", ""},
        {"", "--server", "", V::File, "", "", "", ""},
        {"", "--bridges", "", V::File, "", "", "", ""},
        {"", "--config-test", "-t", V::File, "", "", "", ""},
        {"", "--display-name", "", V::Other, "", "", "", ""},
        {"", "--fail-on-warning", "", V::None, "", "", "", ""},
        {"", "--fail-on-info", "", V::None, "", "", "", ""},
        {"", "--strict", "", V::None, "", "", "", ""},
        {"", "--max-size", "", V::Other, "", "", "", ""},
        {"", "--max-issues", "", V::Other, "", "", "", ""},
        {"", "--fix", "", V::None, "", "", "", ""},
        {"", "--diff", "", V::None, "", "", "", ""},
        {"", "--quiet", "-q", V::None, "", "", "", ""},
        {"", "--format", "", V::Word, "text json github sarif junit gitlab", "", "", ""},
        {"", "--project", "", V::File, "", "", "", ""},
        {"", "--today", "", V::Other, "", "", "", ""},
        {"", "--report-accepted", "", V::None, "", "", "", ""},
        {"", "--list-schemas", "", V::None, "", "", "", ""},
        {"", "--print-schema", "", V::SchemaId, "", "", "", ""},
        {"", "--explain", "", V::IssueCode, "", "", "", ""},
        {"", "--lsp", "", V::None, "", "", "", ""},
        {"", "--help", "-h", V::None, "", "", "", ""},
        {"", "--version", "", V::None, "", "", "", ""},
        {"compare", "--format", "", V::Word, "text json markdown patch", kOldFormat, "", ""},
        {"compare", "--fail-on-new", "", V::Word, "error warning note", "", "info", "note"},
        {"compare", "--schema", "", V::SchemaId, "", "", "", ""},
        {"compare", "--strict", "", V::None, "", "", "", ""},
        {"compare", "--max-size", "", V::Other, "", "", "", ""},
        {"compare", "--git", "", V::None, "", "", "", ""},
        {"graph", "--format", "", V::Word, "dot mermaid json", kOldFormat, "", ""},
        {"graph", "--impact", "", V::Other, "", "", "", ""},
        {"graph", "--schema", "", V::SchemaId, "", "", "", ""},
        {"graph", "--max-size", "", V::Other, "", "", "", ""},
        {"fmt", "--check", "", V::None, "", "", "", ""},
        {"fmt", "--diff", "", V::None, "", "", "", ""},
        {"fmt", "--schema", "", V::SchemaId, "", "", "", ""},
        {"fmt", "--max-size", "", V::Other, "", "", "", ""},
        {"effective", "--format", "", V::Word, "text json", kOldFormat, "", ""},
        {"effective", "--schema", "", V::SchemaId, "", "", "", ""},
        {"effective", "--max-size", "", V::Other, "", "", "", ""},
        {"accept", "--reason", "", V::Other, "", "", "", ""},
        {"accept", "--expires", "", V::Other, "", "", "", ""},
        {"accept", "--project", "", V::File, "", "", "", ""},
        {"accept", "--today", "", V::Other, "", "", "", ""},
        {"prune-accepted", "--project", "", V::File, "", "", "", ""},
        {"prune-accepted", "--today", "", V::Other, "", "", "", ""},
    };
    return kTable;
}

const std::vector<std::string_view>& subcommandNames() {
    static const std::vector<std::string_view> kNames = {"compare",   "graph",  "fmt",
                                                         "effective", "accept", "prune-accepted"};
    return kNames;
}

const OptionInfo* findOption(std::string_view command, std::string_view spelled) {
    for (const OptionInfo& option : optionTable()) {
        if (option.command != command || spelled.empty()) continue;
        if (spelled == option.name || spelled == option.shortName || spelled == option.oldName) {
            return &option;
        }
    }
    return nullptr;
}

std::string wordOf(const OptionInfo& option, std::string_view value) {
    if (option.value != OptionValue::Word) return std::string(value);
    if (!option.oldWord.empty() && value == option.oldWord) return std::string(option.oldWordMeans);
    for (std::size_t at = 0; at <= option.words.size();) {
        std::size_t end = option.words.find(' ', at);
        if (end == std::string_view::npos) end = option.words.size();
        if (!value.empty() && option.words.substr(at, end - at) == value) {
            return std::string(value);
        }
        at = end + 1;
    }
    return "";
}

std::string wordList(const OptionInfo& option) {
    std::string out;
    for (const char c : option.words) out += c == ' ' ? std::string(", ") : std::string(1, c);
    return out;
}

}  // namespace OrvexConfigValidate::Tool
