// Text from documents and file names made safe for a terminal and for
// line-based readers of the report.
#pragma once

#include <string>
#include <string_view>

namespace OrvexConfigValidate::Tool {

enum class LineBreaks {
    Escape,  // for line-based output, where a line break could forge a line
    Keep,    // tab, line feed and carriage return kept, for formats that quote them
};

// Control characters (C0, DEL and C1, so also escape sequences) and the
// two code points that XML 1.0 cannot carry (U+FFFE, U+FFFF) become
// \u001b-style escapes and bytes that are not well-formed UTF-8 become
// \xff-style escapes; everything else is kept as it is. Every report
// format writes text from documents and file names through this.
std::string printable(std::string_view text, LineBreaks lineBreaks = LineBreaks::Escape);

}  // namespace OrvexConfigValidate::Tool
