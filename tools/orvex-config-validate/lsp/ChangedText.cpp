#include "ChangedText.hpp"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/Text.hpp>

namespace OrvexConfigValidate::Lsp {

namespace {

using Index = std::int32_t;
constexpr Index kNone = -1;
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);
constexpr std::size_t kMinPieceBytes = 16;

struct Totals {
    std::size_t bytes = 0;
    std::size_t breaks = 0;  // "\n", "\r\n" or a lone "\r"
    std::size_t units = 0;   // UTF-16 code units, counted as TextPositions counts them

    Totals operator+(const Totals& other) const {
        return {bytes + other.bytes, breaks + other.breaks, units + other.units};
    }
};

// A character as TextPositions reads it: a sequence of valid shape, or any
// other single byte.
std::size_t characterBytes(std::string_view text, std::size_t at) {
    const std::size_t length = utf8SequenceLength(text, at, Utf8Check::Shape);
    return length == 0 ? 1 : length;
}

std::size_t characterUnits(std::size_t bytes) {
    return bytes == 4 ? 2 : 1;
}

bool isBreakByte(char c) {
    return c == '\n' || c == '\r';
}

// Pieces never split a character or a "\r\n", so each is measured alone.
Totals measure(std::string_view text) {
    Totals totals;
    totals.bytes = text.size();
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\n' || (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
            ++totals.breaks;
        }
        const std::size_t length = characterBytes(text, i);
        totals.units += characterUnits(length);
        i += length;
    }
    return totals;
}

// The offset just past the count-th line break of the text (count >= 1,
// and the text holds at least that many).
std::size_t afterBreak(std::string_view text, std::size_t count) {
    std::size_t at = 0;
    while (true) {
        const char c = text[at++];
        if (c == '\r' && at < text.size() && text[at] == '\n') ++at;
        if (isBreakByte(c) && --count == 0) return at;
    }
}

// Cuts a text into pieces of about `target` bytes, never closer than four
// bytes to either end, so that each cut is judged on all the bytes around it.
std::vector<std::string_view> cutIntoPieces(std::string_view text, std::size_t target) {
    std::vector<std::string_view> pieces;
    if (text.empty()) return pieces;
    const std::size_t count = (text.size() + target - 1) / target;
    std::size_t start = 0;
    for (std::size_t i = 1; i < count; ++i) {
        std::size_t cut = std::max(start + 4, text.size() * i / count);
        while (cut + 4 <= text.size() && !canCutAt(text, cut)) ++cut;
        if (cut + 4 > text.size()) break;
        pieces.push_back(text.substr(start, cut - start));
        start = cut;
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

// The text as pieces in a treap ordered by position; each node sums the
// bytes, line breaks and UTF-16 units of its subtree.
class Rope {
  public:
    Rope(std::string_view text, std::size_t piece) : pieceBytes(std::max(piece, kMinPieceBytes)) {
        // A client that knew the priorities could order its changes to
        // unbalance the tree; the clock makes them its own for each message.
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        seed = static_cast<std::uint32_t>(ticks ^ (ticks >> 32)) | 1u;
        root = build(text);
    }

    std::size_t size() const { return all(root).bytes; }

    std::size_t offsetOf(const Position& position) const {
        const std::size_t start = lineStart(position.line);
        if (start == kNotFound) return size();
        std::size_t remaining = position.character;
        const std::size_t found = advance(root, 0, start, remaining);
        return found == kNotFound ? size() : found;
    }

    void replace(std::size_t begin, std::size_t end, std::string_view text) {
        const auto [left, rest] = split(root, begin);
        const auto [middle, right] = split(rest, end - begin);
        release(middle);
        root = merge(merge(left, build(text)), right);
        mendSeam(begin);
        if (!text.empty()) mendSeam(begin + text.size());
    }

    std::string text() const {
        std::string out;
        out.reserve(size());
        append(root, out);
        return out;
    }

  private:
    struct Node {
        std::string bytes;
        Totals own;
        Totals all;
        std::uint32_t priority = 0;
        Index left = kNone;
        Index right = kNone;
    };

    const Totals& all(Index n) const {
        static const Totals kEmpty;
        return n == kNone ? kEmpty : nodes[n].all;
    }

    void update(Index n) {
        Node& node = nodes[n];
        node.all = all(node.left) + node.own + all(node.right);
    }

    std::uint32_t nextPriority() {
        // xorshift32: the shape of the tree must not follow the input.
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return seed;
    }

    Index make(std::string_view bytes, std::uint32_t priority) {
        Index n;
        if (!unused.empty()) {
            n = unused.back();
            unused.pop_back();
        } else {
            n = static_cast<Index>(nodes.size());
            nodes.emplace_back();
        }
        Node& node = nodes[n];
        node.bytes.assign(bytes);
        node.own = measure(bytes);
        node.all = node.own;
        node.priority = priority;
        node.left = node.right = kNone;
        return n;
    }

    void release(Index n) {
        if (n == kNone) return;
        release(nodes[n].left);
        release(nodes[n].right);
        std::string().swap(nodes[n].bytes);
        unused.push_back(n);
    }

    Index build(std::string_view text) {
        Index built = kNone;
        for (const std::string_view piece : cutIntoPieces(text, pieceBytes)) {
            built = merge(built, make(piece, nextPriority()));
        }
        return built;
    }

    Index merge(Index a, Index b) {
        if (a == kNone) return b;
        if (b == kNone) return a;
        if (nodes[a].priority >= nodes[b].priority) {
            const Index joined = merge(nodes[a].right, b);
            nodes[a].right = joined;
            update(a);
            return a;
        }
        const Index joined = merge(a, nodes[b].left);
        nodes[b].left = joined;
        update(b);
        return b;
    }

    // The first `bytes` bytes of the subtree, and the rest.
    std::pair<Index, Index> split(Index n, std::size_t bytes) {
        if (n == kNone) return {kNone, kNone};
        const std::size_t leftBytes = all(nodes[n].left).bytes;
        if (bytes <= leftBytes) {
            const auto [first, rest] = split(nodes[n].left, bytes);
            nodes[n].left = rest;
            update(n);
            return {first, n};
        }
        const std::size_t inPiece = bytes - leftBytes;
        if (inPiece >= nodes[n].own.bytes) {
            const auto [first, rest] = split(nodes[n].right, inPiece - nodes[n].own.bytes);
            nodes[n].right = first;
            update(n);
            return {n, rest};
        }
        return splitPiece(n, inPiece);
    }

    // Cuts the node's own piece; the tail stays below the node's priority,
    // so that the tree keeps its heap order.
    std::pair<Index, Index> splitPiece(Index n, std::size_t at) {
        const std::uint32_t priority = std::min(nextPriority(), nodes[n].priority);
        // A copy: making the node may move every node's bytes.
        const std::string tailBytes = nodes[n].bytes.substr(at);
        const Index tail = make(tailBytes, priority);
        const Index right = nodes[n].right;
        Node& node = nodes[n];
        node.bytes.resize(at);
        node.own = measure(node.bytes);
        node.right = kNone;
        update(n);
        return {n, merge(tail, right)};
    }

    // The offset where the line starts, or kNotFound past the last line.
    std::size_t lineStart(std::size_t line) const {
        if (line == 0) return 0;
        if (line > all(root).breaks) return kNotFound;
        std::size_t offset = 0;
        Index n = root;
        while (true) {
            const Node& node = nodes[n];
            const Totals& left = all(node.left);
            if (line <= left.breaks) {
                n = node.left;
                continue;
            }
            line -= left.breaks;
            offset += left.bytes;
            if (line <= node.own.breaks) return offset + afterBreak(node.bytes, line);
            line -= node.own.breaks;
            offset += node.own.bytes;
            n = node.right;
        }
    }

    // From `from`, over characters while they fit in `remaining` units and
    // are not line breaks, in the subtree whose first byte is at `base`: the
    // offset where that stops, or kNotFound at the subtree's end. Subtrees
    // wholly after `from` without a break that fit are passed in one step.
    std::size_t advance(Index n, std::size_t base, std::size_t from, std::size_t& remaining) const {
        if (n == kNone) return kNotFound;
        const Node& node = nodes[n];
        if (base + node.all.bytes <= from) return kNotFound;
        if (base >= from && node.all.breaks == 0 && node.all.units <= remaining) {
            remaining -= node.all.units;
            return kNotFound;
        }
        const std::size_t found = advance(node.left, base, from, remaining);
        if (found != kNotFound) return found;
        const std::size_t pieceBase = base + all(node.left).bytes;
        const std::size_t inPiece = advanceInPiece(node.bytes, pieceBase, from, remaining);
        if (inPiece != kNotFound) return inPiece;
        return advance(node.right, pieceBase + node.own.bytes, from, remaining);
    }

    static std::size_t advanceInPiece(std::string_view piece, std::size_t pieceBase,
                                      std::size_t from, std::size_t& remaining) {
        std::size_t at = from > pieceBase ? from - pieceBase : 0;
        while (at < piece.size()) {
            if (isBreakByte(piece[at])) return pieceBase + at;
            const std::size_t length = characterBytes(piece, at);
            const std::size_t units = characterUnits(length);
            if (units > remaining) return pieceBase + at;
            remaining -= units;
            at += length;
        }
        return kNotFound;
    }

    char byteAt(std::size_t offset) const {
        Index n = root;
        while (true) {
            const Node& node = nodes[n];
            const std::size_t leftBytes = all(node.left).bytes;
            if (offset < leftBytes) {
                n = node.left;
                continue;
            }
            offset -= leftBytes;
            if (offset < node.own.bytes) return node.bytes[offset];
            offset -= node.own.bytes;
            n = node.right;
        }
    }

    std::size_t edgePieceBytes(Index n, bool last) const {
        while ((last ? nodes[n].right : nodes[n].left) != kNone) {
            n = last ? nodes[n].right : nodes[n].left;
        }
        return nodes[n].own.bytes;
    }

    // After a change, the pieces meeting at its seams may split a character
    // or a "\r\n", or be small: such a pair becomes one text, cut anew.
    void mendSeam(std::size_t seam) {
        if (seam == 0 || seam >= size()) return;
        const std::size_t from = seam >= 3 ? seam - 3 : 0;
        std::string around;
        for (std::size_t at = from; at < std::min(size(), seam + 3); ++at) around += byteAt(at);
        const auto [before, after] = split(root, seam);
        const std::size_t lastBytes = edgePieceBytes(before, true);
        const std::size_t firstBytes = edgePieceBytes(after, false);
        const bool small = std::min(lastBytes, firstBytes) < pieceBytes / 2;
        if (canCutAt(around, seam - from) && !small) {
            root = merge(before, after);
            return;
        }
        const auto [head, last] = split(before, all(before).bytes - lastBytes);
        const auto [first, tail] = split(after, firstBytes);
        const std::string joined = nodes[last].bytes + nodes[first].bytes;
        release(last);
        release(first);
        root = merge(merge(head, build(joined)), tail);
    }

    void append(Index n, std::string& out) const {
        if (n == kNone) return;
        append(nodes[n].left, out);
        out += nodes[n].bytes;
        append(nodes[n].right, out);
    }

    std::size_t pieceBytes;
    std::vector<Node> nodes;
    std::vector<Index> unused;
    Index root = kNone;
    std::uint32_t seed = 1;
};

}  // namespace

struct ChangedText::Pieces {
    Rope rope;
};

ChangedText::ChangedText(std::string_view text, std::size_t piece,
                         const TextPositions* currentPositions)
    : current(text), positions(currentPositions), pieceBytes(piece) {}

ChangedText::~ChangedText() = default;

void ChangedText::replaceAll(std::string text) {
    whole = std::move(text);
    pieces.reset();
    anyChange = true;
}

bool ChangedText::replaceInCurrent(const Position& start, const Position& end,
                                   std::string_view text) {
    const std::size_t begin = positions->offsetOf(start);
    const std::size_t finish = positions->offsetOf(end);
    if (finish < begin) return false;
    std::string changed;
    changed.reserve(current.size() - (finish - begin) + text.size());
    changed.append(current.substr(0, begin)).append(text).append(current.substr(finish));
    whole = std::move(changed);
    anyChange = true;
    return true;
}

bool ChangedText::replace(const Position& start, const Position& end, std::string_view text) {
    if (!pieces && !whole && positions != nullptr) return replaceInCurrent(start, end, text);
    if (!pieces) {
        pieces = std::make_unique<Pieces>(Pieces{Rope(whole ? *whole : current, pieceBytes)});
        whole.reset();
    }
    Rope& rope = pieces->rope;
    const std::size_t begin = rope.offsetOf(start);
    const std::size_t finish = rope.offsetOf(end);
    if (finish < begin) return false;
    rope.replace(begin, finish, text);
    anyChange = true;
    return true;
}

std::string ChangedText::text() const {
    if (pieces) return pieces->rope.text();
    if (whole) return *whole;
    return std::string(current);
}

std::string ChangedText::take() {
    if (pieces) return pieces->rope.text();
    if (whole) return std::move(*whole);
    return std::string(current);
}

}  // namespace OrvexConfigValidate::Lsp
