// A document of an edited text made of the document before the edit and
// the values read since, without reading the rest of the text again: what
// an editor's features read after an edit was carried.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// A value of the new text read on its own, and where it starts there.
struct SplicedValue {
    std::size_t offset = 0;
    const ParsedText* parsed = nullptr;
};

// The document of `text`, in which the stretch [from, to) of the text
// `before` was read from became [from, from + newLength), holding the
// `values` (in text order) and only white space and separators beside
// them. Null when the stretch cuts a value of `before` other than those
// that enclose it, or when a document holds issues of its own (a repeated
// member): the text is then read whole.
std::shared_ptr<ParsedText> spliceDocument(const ParsedText& before,
                                           std::shared_ptr<const std::string> text,
                                           std::size_t from, std::size_t to, std::size_t newLength,
                                           const std::vector<SplicedValue>& values);

}  // namespace OrvexConfigValidate
