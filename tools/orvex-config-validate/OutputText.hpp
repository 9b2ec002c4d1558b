// Text from documents and file names made safe for the report formats that
// put it in front of people: terminals, CI logs, XML.
#pragma once

#include <string>
#include <string_view>

#include "Report.hpp"

namespace OrvexConfigValidate::Tool {

// Control characters other than tab, line feed and carriage return (C0, DEL
// and C1) become "\u001b"; bytes that are not well-formed UTF-8 become
// "\xff". Everything else is kept as it is.
std::string printableText(std::string_view text);

// What a diagnostic says, unescaped: "POINTER: MESSAGE (HINT)", as the text
// report writes it; the pointer only when asked and when it names a place
// inside the file.
std::string issueText(const Diagnostic& diagnostic, bool withPointer);

}  // namespace OrvexConfigValidate::Tool
