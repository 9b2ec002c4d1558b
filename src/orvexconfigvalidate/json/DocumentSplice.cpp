#include "json/DocumentSplice.hpp"

#include <utility>

#include <orvexconfigvalidate/Text.hpp>

#include "json/LeanDocument.hpp"
#include "json/ParsedTextAccess.hpp"

namespace OrvexConfigValidate {

namespace {

std::uint32_t moved(std::uint32_t offset, std::ptrdiff_t by) {
    return static_cast<std::uint32_t>(static_cast<std::ptrdiff_t>(offset) + by);
}

TextNode movedNode(TextNode node, std::ptrdiff_t by) {
    node.start = moved(node.start, by);
    node.end = moved(node.end, by);
    if (node.hasKey())
        node.keyField = moved(node.keyStart(), by) | (node.keyField & TextNode::kShadowedBit);
    return node;
}

struct Splice {
    const LeanDocument& before;
    std::string_view text;
    std::size_t from;
    std::size_t to;
    std::size_t end;  // of the stretch in the new text
    std::ptrdiff_t delta;
    const std::vector<SplicedValue>& values;
};

// The nodes in pre-order: those before the stretch (the ones that enclose
// it grow with it), the values read since, those after it moved.
bool spliceNodes(const Splice& splice, std::vector<TextNode>& out) {
    const std::vector<TextNode>& nodes = splice.before.index().nodes;
    std::size_t i = 0;
    for (; i < nodes.size() && nodes[i].start < splice.from; ++i) {
        TextNode node = nodes[i];
        if (node.end > splice.from) {
            if (node.end <= splice.to) return false;
            node.end = moved(node.end, splice.delta);
        }
        out.push_back(node);
    }
    for (const SplicedValue& value : splice.values) {
        const std::ptrdiff_t by = static_cast<std::ptrdiff_t>(value.offset);
        for (const TextNode& node : leanDocumentOf(*value.parsed)->index().nodes)
            out.push_back(movedNode(node, by));
    }
    for (; i < nodes.size() && nodes[i].start < splice.to; ++i) {
        if (nodes[i].end > splice.to) return false;
    }
    for (; i < nodes.size(); ++i) out.push_back(movedNode(nodes[i], splice.delta));
    return true;
}

// Line starts before the stretch, in it (read from the new text) and after
// it, moved; false when a line break straddles one of its ends.
bool spliceLines(const Splice& splice, std::vector<std::uint32_t>& out) {
    const std::vector<std::uint32_t>& lines = splice.before.index().lineStarts;
    if (splice.from < lines[0] || (splice.from > 0 && splice.text[splice.from - 1] == '\r')) {
        return false;
    }
    out.push_back(lines[0]);
    std::size_t i = 1;
    for (; i < lines.size() && lines[i] <= splice.from; ++i) out.push_back(lines[i]);
    for (std::size_t at = splice.from; at < splice.end;) {
        const std::size_t lineBreak = lineBreakAt(splice.text, at);
        if (lineBreak == 0) {
            ++at;
            continue;
        }
        at += lineBreak;
        if (at > splice.end) return false;
        out.push_back(static_cast<std::uint32_t>(at));
    }
    for (; i < lines.size(); ++i) {
        if (lines[i] > splice.to) out.push_back(moved(lines[i], splice.delta));
    }
    return true;
}

void add(UnescapedStrings& strings, std::uint32_t quote, const std::string& value) {
    strings.quotes.push_back(quote);
    strings.values.push_back(value);
}

UnescapedStrings spliceStrings(const Splice& splice) {
    const UnescapedStrings& before = splice.before.unescaped();
    UnescapedStrings out;
    std::size_t i = 0;
    for (; i < before.quotes.size() && before.quotes[i] < splice.from; ++i)
        add(out, before.quotes[i], before.values[i]);
    for (const SplicedValue& value : splice.values) {
        const UnescapedStrings& own = leanDocumentOf(*value.parsed)->unescaped();
        for (std::size_t k = 0; k < own.quotes.size(); ++k)
            add(out, static_cast<std::uint32_t>(own.quotes[k] + value.offset), own.values[k]);
    }
    for (; i < before.quotes.size(); ++i) {
        if (before.quotes[i] >= splice.to)
            add(out, moved(before.quotes[i], splice.delta), before.values[i]);
    }
    return out;
}

bool readsAlone(const ParsedText& parsed) {
    return parsed.ok() && parsed.issues().empty() && leanDocumentOf(parsed) != nullptr;
}

}  // namespace

std::shared_ptr<ParsedText> spliceDocument(const ParsedText& before,
                                           std::shared_ptr<const std::string> text,
                                           std::size_t from, std::size_t to, std::size_t newLength,
                                           const std::vector<SplicedValue>& values) {
    if (!readsAlone(before) || text->size() > kMaxTextSize) return nullptr;
    for (const SplicedValue& value : values) {
        if (!readsAlone(*value.parsed)) return nullptr;
    }
    const Splice splice{
        *leanDocumentOf(before),
        *text,
        from,
        to,
        from + newLength,
        static_cast<std::ptrdiff_t>(newLength) - static_cast<std::ptrdiff_t>(to - from),
        values};
    auto impl = std::make_unique<ParsedTextAccess::Impl>();
    impl->index.nodes.reserve(splice.before.index().nodes.size() + values.size() * 32);
    impl->index.lineStarts.clear();
    if (!spliceNodes(splice, impl->index.nodes) || !spliceLines(splice, impl->index.lineStarts)) {
        return nullptr;
    }
    impl->text = *text;
    impl->keeper = std::move(text);
    impl->ok = true;
    impl->lean = std::make_unique<LeanDocument>(impl->text, impl->index, spliceStrings(splice));
    auto out = std::make_shared<ParsedText>();
    ParsedTextAccess::adopt(*out, std::move(impl));
    return out;
}

}  // namespace OrvexConfigValidate
