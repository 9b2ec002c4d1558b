// Text from documents and file names made safe for the report formats that
// put it in front of people: terminals, CI logs, XML.
#pragma once

#include <string>
#include <string_view>

#include <orvexconfigvalidate/Report.hpp>
#include "Report.hpp"

namespace OrvexConfigValidate::Tool {

// printable() for the formats that quote tabs and line breaks themselves
// (JSON, XML, workflow commands): control characters other than those
// become "\u001b", bytes that are not well-formed UTF-8 "\xff".
inline std::string printableText(std::string_view text) {
    return printable(text, LineBreaks::Keep);
}

// What a diagnostic says: "POINTER: MESSAGE (HINT)", escaped as the text
// report writes it (ids and member names in messages included), so no
// format carries a raw line break or control character from a document;
// the pointer only when asked and when it names a place inside the file.
std::string issueText(const Diagnostic& diagnostic, bool withPointer);

// The text report's line of a diagnostic, without colour, ending in "\n".
std::string issueLine(const Report& report, const Diagnostic& diagnostic);

}  // namespace OrvexConfigValidate::Tool
