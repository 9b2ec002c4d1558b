// Maps the library's issue paths to JSON pointers inside the checked files.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate::Tool {

// Unescaped reference tokens of a JSON pointer; "" and "/" (the library's
// spelling of the whole document) give none.
std::vector<std::string> splitPointer(const std::string& pointer);

// The JSON pointer text of the tokens; "/" for the whole document.
std::string joinPointer(const std::vector<std::string>& tokens);

// Whether an issue code comes from the schema stage or the parameter check,
// whose paths are JSON pointers into the validated document. All other codes
// carry the semantic rules' paths.
bool isPointerPathCode(const std::string& code);

// Tokens rooted at the composite {"server", "bridges"} for a semantic path
// such as "/bridges/bridges/3 (id=b7)/groups/1". The " (id=...)" parts are
// dropped; bridging is the bridges document, used to know each element's id.
// For a "Group" document, pass {"groups": [document]}.
std::vector<std::string> semanticPathTokens(const std::string& path,
                                            const nlohmann::json& bridging);

struct FileLocation {
    std::size_t file = 0;  // index in the documents passed to mapIssuePath
    std::vector<std::string> tokens;
};

// Where an issue of a validation against schemaId lies: documents holds the
// validated document, or the server and bridges documents of a pair (whose
// schema id is "Obs").
FileLocation mapIssuePath(const Issue& issue, const std::string& schemaId,
                          const std::vector<const nlohmann::json*>& documents);

}  // namespace OrvexConfigValidate::Tool
