// The reader's byte scans, sixteen bytes at a time where the processor has
// SSE2 (every x86-64), one at a time elsewhere (the WebAssembly build among
// them). Both kinds give the same offsets; the byte-wise ones stay callable
// so that tests can hold the wide ones to them.
#pragma once

#include <cstddef>
#include <string_view>

namespace OrvexConfigValidate {

// The first offset at or after `from` whose byte ends a plain run of string
// content: '"', '\\', a control byte (below 0x20) or a byte of a multi-byte
// UTF-8 sequence (0x80 and up); text.size() when there is none.
std::size_t skipStringContent(std::string_view text, std::size_t from);

// The first offset at or after `from` whose byte is neither ' ' nor '\t';
// text.size() when there is none. Line breaks stop it: the reader counts
// them. Most runs of blanks are one space or none, looked at here before a
// block is.
std::size_t skipBlankRun(std::string_view text, std::size_t from);
inline std::size_t skipBlanks(std::string_view text, std::size_t from) {
    if (from >= text.size()) return text.size();
    if (text[from] != ' ' && text[from] != '\t') return from;
    if (from + 1 < text.size() && text[from + 1] != ' ' && text[from + 1] != '\t') return from + 1;
    return skipBlankRun(text, from);
}

// The first offset at or after `from` whose byte is not a decimal digit;
// text.size() when there is none.
std::size_t skipDigits(std::string_view text, std::size_t from);

// Whether the scans above use the wide registers on this build.
bool wideScans();

namespace bytewise {

std::size_t skipStringContent(std::string_view text, std::size_t from);
std::size_t skipBlanks(std::string_view text, std::size_t from);
std::size_t skipDigits(std::string_view text, std::size_t from);

}  // namespace bytewise

}  // namespace OrvexConfigValidate
