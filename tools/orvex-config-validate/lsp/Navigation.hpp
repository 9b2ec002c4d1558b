// What the editor shows on hover and where "go to definition" leads, read
// from a document that parses.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate::Lsp {

// Where the server settings and the bridging part (groups and bridges) sit
// in a document of a schema id.
struct DocumentLayout {
    std::optional<std::vector<std::string>> server;
    std::optional<std::vector<std::string>> bridging;
    bool isGroup = false;  // the whole document is one group
};
DocumentLayout layoutOf(const std::string& schemaId);

std::vector<std::string> pointerTokens(std::string_view pointer);
std::string pointerFromTokens(const std::vector<std::string>& tokens);

struct Hover {
    std::string text;
    std::string pointer;  // the value the text is about
};

// "1 = gtAudio" on a group type, an output mode or a server mode; the name
// and index of the group on a bridge's group id.
std::optional<Hover> hoverAt(const std::string& schemaId, const ParsedText& parsed,
                             std::size_t offset);

// The pointer of the group that defines the group id a bridge names at the
// offset.
std::optional<std::string> definitionAt(const std::string& schemaId, const ParsedText& parsed,
                                        std::size_t offset);

struct GroupEntry {
    std::string id;
    std::string name;
    std::size_t index = 0;
};

// The groups that define ids (the first of each id), in array order.
std::vector<GroupEntry> definedGroups(const DocumentLayout& layout, const nlohmann::json& document);

}  // namespace OrvexConfigValidate::Lsp
