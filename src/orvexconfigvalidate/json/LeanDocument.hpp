// A read-only JSON document that is only the text and its TextIndex, so a
// large file costs about its own size plus 16 bytes a value instead of a
// heap block, map node and string per value. Kinds and scalars are read
// from the text at a node's start; the text cannot answer alone only for
// strings with escapes (kept unescaped beside it) and for member lookup,
// which a per-container child table makes O(log n): each object's members
// by rank (nlohmann's sorted order, a repeated name once with its last
// value), each array's elements in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/JsonView.hpp>

#include "json/TextIndex.hpp"

namespace OrvexConfigValidate {

// The strings and member names whose text holds an escape, unescaped, by
// the offset of their opening quote. The reader adds them in text order.
struct UnescapedStrings {
    std::vector<std::uint32_t> quotes;  // increasing
    std::deque<std::string> values;     // a deque keeps views of them valid

    // The unescaped text of the string whose opening quote is at `quote`.
    const std::string& at(std::uint32_t quote) const;
};

class LeanDocument {
  public:
    static constexpr std::uint32_t kNoNode = 0xFFFFFFFF;

    // `text` and `index` must outlive the document; `index` is the one the
    // lean reader made of `text`.
    LeanDocument(std::string_view text, const TextIndex& index, UnescapedStrings strings);

    static constexpr std::uint32_t root() { return 0; }
    std::string_view text() const { return text_; }
    const TextIndex& index() const { return *index_; }

    JsonKind kind(std::uint32_t node) const;
    bool boolean(std::uint32_t node) const;
    // Integer and Unsigned numbers; an Unsigned one above INT64_MAX wraps,
    // as nlohmann's get<std::int64_t> does.
    std::int64_t integer(std::uint32_t node) const;
    std::uint64_t unsignedInteger(std::uint32_t node) const;
    // Any number, as a double.
    double number(std::uint32_t node) const;
    // The number as written, for exact comparison.
    std::string_view numberText(std::uint32_t node) const;
    // The same when the double number() gives does not hold it exactly
    // (0.1, 2^64 + 1); else empty.
    std::string_view inexactNumberText(std::uint32_t node) const;
    std::string_view string(std::uint32_t node) const;

    // Members (a repeated name once) or elements; 0 for a scalar.
    std::size_t size(std::uint32_t node) const;
    // The value of the last member named `name`, or kNoNode.
    std::uint32_t member(std::uint32_t node, std::string_view name) const;
    // The k-th member in sorted name order, or kNoNode past the end.
    std::uint32_t memberAt(std::uint32_t node, std::size_t k) const;
    std::string_view memberName(std::uint32_t valueNode) const;
    // Arrays only; kNoNode past the end.
    std::uint32_t firstElement(std::uint32_t node) const;
    std::uint32_t nextElement(std::uint32_t container, std::uint32_t element) const;
    std::uint32_t element(std::uint32_t node, std::size_t i) const;

    // The values of the subtree at `node` as a document holds them: a
    // replaced member and its values are not counted, a grafted document's
    // are.
    std::uint64_t valueCount(std::uint32_t node) const;

    // The view of a child node: a grafted node stands for the root of
    // another lean document, so that a small document can hold large ones
    // (two texts judged as one envelope) without copying them.
    JsonView view(std::uint32_t node) const noexcept {
        return grafts_.empty() ? JsonView(*this, node) : graftedView(node);
    }
    // The root of `other`, which must outlive this document, stands in for
    // `node`.
    void graft(std::uint32_t node, const LeanDocument& other);

  private:
    JsonView graftedView(std::uint32_t node) const noexcept;
    // The document grafted at `node`, or null.
    const LeanDocument* graftAt(std::uint32_t node) const noexcept;

    struct Children {
        const std::uint32_t* begin;
        std::size_t size;
    };
    Children children(std::uint32_t node) const;
    void buildChildren();
    // The text between the quote at `quote` and the next unescaped quote.
    std::string_view quoted(std::uint32_t quote) const;

    std::string_view text_;
    const TextIndex* index_;
    UnescapedStrings strings_;
    std::vector<std::uint32_t> containers_;  // container nodes, increasing
    std::vector<std::uint32_t> firstChild_;  // per container, into children_, and the end
    std::vector<std::uint32_t> children_;
    // Per run of kRun nodes, the ordinal of the first container at or after
    // its first node: finding a container's children searches only the
    // containers of its run, a few at most, where a search of all of them
    // missed the cache on every step of every lookup.
    static constexpr unsigned kRunShift = 6;
    std::vector<std::uint32_t> runFirst_;
    std::vector<std::pair<std::uint32_t, const LeanDocument*>> grafts_;
};

// The envelope of a server text and its bridges text: an object whose
// members "bridges" and "server" are the two lean documents' roots.
class LeanEnvelope {
  public:
    LeanEnvelope(const LeanDocument& server, const LeanDocument& bridges);
    LeanEnvelope(const LeanEnvelope&) = delete;
    LeanEnvelope& operator=(const LeanEnvelope&) = delete;

    JsonView root() const { return JsonView(*document_, LeanDocument::root()); }

  private:
    // The document's view of its text stays put: the text is never moved.
    std::string text_;
    TextIndex index_;
    std::unique_ptr<LeanDocument> document_;
};

}  // namespace OrvexConfigValidate
