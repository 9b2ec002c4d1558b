// A read-only JSON document that is only the text and its TextIndex, so a
// large file costs about its own size plus 16 bytes a value instead of a
// heap block, map node and string per value. Kinds are kept in the index;
// scalars are read from the text at a node's start. The text cannot answer
// alone only for strings with escapes (kept unescaped beside it) and for
// lookups in large containers: a container of kTabledFrom children or more
// has a child table that makes them O(log n), its members by rank
// (nlohmann's sorted order, a repeated name once with its last value), its
// elements in order. A smaller container's few children are walked in the
// index, which costs about what finding a table did and saves four to eight
// bytes a value.
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
    // The strings kept unescaped, so that a document spliced of others
    // (json/DocumentSplice) can carry them over.
    const UnescapedStrings& unescaped() const { return strings_; }

    JsonKind kind(std::uint32_t node) const { return index_->nodes[node].kind(); }
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
    // The member after `member` of `node` in sorted name order, or kNoNode.
    std::uint32_t nextMember(std::uint32_t node, std::uint32_t member) const;
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

    // Containers with at least this many children have a child table.
    static constexpr std::uint32_t kTabledFrom = 16;

  private:
    JsonView graftedView(std::uint32_t node) const noexcept;
    // The document grafted at `node`, or null.
    const LeanDocument* graftAt(std::uint32_t node) const noexcept;

    struct Children {
        const std::uint32_t* begin;
        std::size_t size;
    };
    // The child table of a tabled container; {nullptr, 0} for any other node.
    Children table(std::uint32_t node) const;
    // The first child of a container and the one after `child`, walking the
    // index; kNoNode past the last.
    std::uint32_t firstChild(std::uint32_t container) const;
    std::uint32_t nextChild(std::uint32_t container, std::uint32_t child) const;
    // The children of a container that a document holds (a replaced member
    // is not one), counted by walking them.
    std::uint32_t walkedSize(std::uint32_t container) const;
    void buildChildren();
    std::vector<std::pair<std::uint32_t, std::uint32_t>> tabledContainers() const;
    // The text between the quote at `quote` and the next unescaped quote.
    std::string_view quoted(std::uint32_t quote) const;

    std::string_view text_;
    const TextIndex* index_;
    UnescapedStrings strings_;
    std::vector<std::uint32_t> containers_;  // tabled container nodes, increasing
    std::vector<std::uint32_t> firstChild_;  // per tabled container, into children_, and the end
    std::vector<std::uint32_t> children_;
    // Per run of kRun nodes, the ordinal of the first tabled container at or
    // after its first node: a lookup searches only its run's tabled
    // containers, which are at most kRun / (kTabledFrom + 1), and most runs
    // have none.
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
