// Where a cursor stands in a JSON text that may be half typed: the members
// and elements that lead to the innermost open object or array.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace OrvexConfigValidate::Lsp {

struct CursorContext {
    // Member names and element positions (in decimal) from the document root
    // to the innermost object or array open at the cursor.
    std::vector<std::string> containerPath;
    bool inContainer = false;  // false at the top level, outside any value
    bool containerIsArray = false;
    // Inside a string literal (not an object key); then the offset of its
    // first content byte.
    bool inString = false;
    std::size_t stringContentStart = 0;
    // In an object where a member name may be written: expectingKey; while
    // one is being typed, inKey too, with the offset of its opening quote.
    bool expectingKey = false;
    bool inKey = false;
    std::size_t keyStart = 0;
    // The member whose value is being written (objects), or the element's
    // position (arrays), in the innermost container.
    std::string memberKey;
    std::size_t elementIndex = 0;
    // The member names the innermost object has before the cursor.
    std::vector<std::string> keysBefore;
};

// Reads the text only up to the offset, so a broken remainder does not matter.
CursorContext cursorContext(std::string_view text, std::size_t offset);

}  // namespace OrvexConfigValidate::Lsp
