// Text from documents and file names made safe for the report formats that
// put it in front of people: terminals, CI logs, XML.
#pragma once

#include <string>
#include <string_view>

namespace OrvexConfigValidate::Tool {

// Control characters other than tab, line feed and carriage return (C0, DEL
// and C1) become "\u001b"; bytes that are not well-formed UTF-8 become
// "\xff". Everything else is kept as it is.
std::string printableText(std::string_view text);

}  // namespace OrvexConfigValidate::Tool
