// Text from documents and file names made safe for a terminal and for
// line-based readers of the report.
#pragma once

#include <string>
#include <string_view>

namespace OrvexConfigValidate::Tool {

// Control characters (C0, DEL and C1, so also newlines and escape
// sequences) become \u001b-style escapes and bytes that are not UTF-8
// become \xff-style escapes; everything else is kept as it is.
std::string printable(std::string_view text);

}  // namespace OrvexConfigValidate::Tool
