// What the editor shows on hover and where "go to definition" leads, read
// from a document that parses, through the library's configuration model.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Documents.hpp"

namespace OrvexConfigValidate::Lsp {

struct Hover {
    std::string text;
    std::string pointer;  // the value the text is about
    bool markdown = false;
};

// "1 = gtAudio" on a group type, an output mode or a server mode, followed
// by the member's documentation (Markdown); the name, index, type and count
// of referencing bridges of the group on a group id (a bridge's or the
// group's own); the member catalogue's documentation on any other member it
// names; else, with a validator, the schema's title and description. The model of the
// parse, when one was made already (a snapshot's), is read rather than made again.
std::optional<Hover> hoverAt(const std::string& schemaId, const ParsedText& parsed,
                             std::size_t offset, const Validator* validator = nullptr,
                             const Configuration* model = nullptr);

// The pointer of the group that defines the group id a bridge names at the
// offset.
std::optional<std::string> definitionAt(const std::string& schemaId, const ParsedText& parsed,
                                        std::size_t offset, const Configuration* model = nullptr);

// What hovering at an offset of an open document shows, and the value it
// is about.
struct DocumentHover {
    std::string text;  // Markdown when markdown, else plain text
    bool markdown = false;
    TextLocation location;
};
std::optional<DocumentHover> hoverOf(const Document& document, std::size_t offset,
                                     const Validator& validator);

// A place in an open document.
struct DocumentPlace {
    std::string uri;
    TextLocation location;
};
// Where "go to definition" at an offset of an open document leads.
std::optional<DocumentPlace> definitionOf(const Document& document, std::size_t offset);

}  // namespace OrvexConfigValidate::Lsp
