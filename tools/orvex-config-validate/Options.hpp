// Every option of the program, the check's and each subcommand's, in one
// table: the argument readers, and the bash completion generated at build
// time, read it, so that what is completed is what is accepted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace OrvexConfigValidate::Tool {

// What an option's value is, for reading it and for completing it.
enum class OptionValue {
    None,       // a flag
    Word,       // one of `words`
    SchemaId,   // a schema id
    IssueCode,  // an issue code
    Directory,
    File,
    Other,  // a size, a count, a name: nothing to offer
};

struct OptionInfo {
    std::string_view command;    // "" for the check, else the subcommand's name
    std::string_view name;       // "--format"
    std::string_view shortName;  // "-t", or ""
    OptionValue value = OptionValue::None;
    std::string_view words;  // for Word: the values, space-separated
    // An older spelling still read, so that stored scripts keep working;
    // never offered, documented as an alias only.
    std::string_view oldName;
    // An older spelling of one value and the word it stands for.
    std::string_view oldWord;
    std::string_view oldWordMeans;
};

const std::vector<OptionInfo>& optionTable();

// The subcommands, in the order the help lists them.
const std::vector<std::string_view>& subcommandNames();

// The option of `command` spelled `spelled` (its name, short name or older
// name), or null.
const OptionInfo* findOption(std::string_view command, std::string_view spelled);

// The word a value means: itself, or the current word of an older one.
// Empty when the option takes words and this is none of them.
std::string wordOf(const OptionInfo& option, std::string_view value);

// "text, json, markdown" for a usage error.
std::string wordList(const OptionInfo& option);

}  // namespace OrvexConfigValidate::Tool
