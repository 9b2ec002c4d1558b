// Schema patterns are ECMA-262 regular expressions; they run on RE2, which
// matches in linear time without recursion.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace re2 {
class RE2;
}

namespace OrvexConfigValidate {

struct EcmaRegexCompilation {
    std::shared_ptr<const re2::RE2> regex;  // null on failure
    std::string error;                      // why, when regex is null
};

// The pattern in RE2's syntax, or an error naming the construct that RE2
// cannot express (back-references, look-around). Patterns have no flags, so
// "\\p" is "p" and classes hold code points: surrogates, which UTF-8 text
// never holds alone, are left out of them.
bool translateEcmaRegex(const std::string& pattern, std::string& translated, std::string& error);

// A pattern past RE2's own limits (1000 repetitions, nested counted repeats
// multiplied; its memory for a program) fails with a message naming the
// limit.
EcmaRegexCompilation compileEcmaRegex(const std::string& pattern);

// ECMA `test`: true when the pattern matches anywhere in the text.
bool ecmaRegexSearch(const re2::RE2& regex, std::string_view text);

}  // namespace OrvexConfigValidate
