// Reading and strictly parsing one input file (or standard input).
#pragma once

#include <istream>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "SourceLocator.hpp"

namespace OrvexConfigValidate::Tool {

// Why an input could not be checked.
struct InputError {
    std::string code;  // "read_error" or "parse_error"
    std::string message;
    std::optional<TextPosition> position;  // set for a parse error
};

struct LoadedInput {
    std::string name;  // as shown in reports; "<stdin>" for "-"
    std::string text;
    nlohmann::json document;
    std::optional<InputError> error;
};

// Parses text as exactly one JSON document: no comments, no trailing commas,
// nothing after the value; a UTF-8 byte-order mark is accepted.
LoadedInput parseInput(const std::string& name, std::string text);

// Reads the file at path ("-": standardInput) and parses it.
LoadedInput loadInput(const std::string& path, std::istream& standardInput);

}  // namespace OrvexConfigValidate::Tool
