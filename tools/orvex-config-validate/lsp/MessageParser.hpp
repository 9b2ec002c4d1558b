// Parsing of message bodies. A full-text change carries the whole document
// as one JSON string; the general parser takes far longer over megabytes of
// string than the rest of a change costs, so long strings are decoded on a
// fast path and the small remainder goes through the general parser.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate::Lsp {

// Copying, comparing, writing and walking a JSON value recurse once per
// level of nesting, so a message nested deeper than this is refused before
// anything is built from it. Real messages nest a few dozen levels at most.
constexpr std::size_t kMaxMessageDepth = 512;

struct MessageTooDeep : std::runtime_error {
    MessageTooDeep();
};

// Same result as nlohmann::json::parse(body): the value, or a thrown
// nlohmann::json::parse_error for a body that is not JSON; MessageTooDeep
// for a body nested deeper than kMaxMessageDepth.
nlohmann::json parseMessage(std::string_view body);
// The same, taking the body: the room of the body's own string is reused
// for its largest string (the text of a document), so that a text of
// megabytes is not held twice while it is read.
nlohmann::json parseMessage(std::string&& body);

// The deepest nesting of arrays and objects in the body, counted by one
// scan that skips string contents; it stops counting past `limit`. For a
// body that is not JSON, at least the depth the parser would reach before
// it gives up.
std::size_t nestingDepth(std::string_view body, std::size_t limit);

// Bodies and strings below these sizes take the general parser only.
constexpr std::size_t kFastPathBody = std::size_t{64} * 1024;
constexpr std::size_t kFastPathString = std::size_t{4} * 1024;

}  // namespace OrvexConfigValidate::Lsp
