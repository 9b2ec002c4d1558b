// Moving the issues of a remembered check through an edit: which element
// an issue lies in, its place shifted by the edit's length, its element
// renumbered, its line found again.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// Schema and parse findings: what one element's text alone decides.
bool isElementCode(const std::string& code);

// "groups" or "bridges": the member that holds the array.
const char* arrayName(bool groups);

// Which element of "groups" or "bridges" a pointer lies in, if any.
struct ElementOf {
    bool groups = false;
    std::size_t index = 0;
    std::vector<std::string> rest;
};

std::optional<ElementOf> elementOf(const std::string& pointer);
std::string pointerFromTokens(const std::vector<std::string>& tokens);
// The pointer of a place inside element `index` of an array.
std::string elementPointer(bool groups, std::size_t index, const std::vector<std::string>& rest);

// Moves a place, or the edits of an issue's fixes, that lie at or after `from`.
void shift(TextLocation& location, std::size_t from, std::ptrdiff_t delta);
void shiftFixes(Issue& issue, std::size_t from, std::ptrdiff_t delta);

// Line and byte column of every issue, from its offset in the text.
void placeLines(std::vector<Issue>& issues, const std::string& text);

// An element checked alone: the only element of its array in a text that
// starts with a head of headSize bytes; in the whole text it is element
// `index` at `offset`.
struct ElementPlace {
    bool groups;
    std::size_t index;
    std::size_t headSize;
    std::size_t offset;
    int source;
};

// The element's own issues from its check alone, moved to its place in the
// whole text; none when one of them lies outside the element.
std::optional<std::vector<Issue>> movedIssues(const std::vector<Issue>& alone,
                                              const ElementPlace& element);

// Elements [first, first + removed) of one array, replaced by `added` new ones.
struct ElementRange {
    bool groups = false;
    std::size_t first = 0;
    std::size_t removed = 0;
    std::size_t added = 0;
};

// The element issues of every element outside the range, moved by the
// edit: `delta` bytes from `from` on, and the later elements of the edited
// array renumbered; nothing when one of those names its place otherwise
// than by its pointer.
std::optional<std::vector<Issue>> issuesBeside(const std::vector<Issue>& issues,
                                               const ElementRange& range, std::size_t from,
                                               std::ptrdiff_t delta);

}  // namespace OrvexConfigValidate
