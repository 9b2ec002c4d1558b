#include <orvexconfigvalidate/Format.hpp>

#include <orvexconfigvalidate/Configuration.hpp>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "json/LeanDocument.hpp"
#include "json/ParsedTextAccess.hpp"
#include "review/SchemaLayout.hpp"

namespace OrvexConfigValidate {

namespace {

// The text's first line end, "\n" for a text of one line.
std::string_view lineEndOf(std::string_view text) {
    // Only the first line is read: a table of every line would cost a
    // word per line of a large text for one answer.
    const std::size_t at = text.find_first_of("\r\n");
    if (at == std::string_view::npos) return "\n";
    return text.substr(at, lineBreakAt(text, at));
}

class Layouter {
  public:
    Layouter(const LeanDocument& document, std::size_t bound)
        : document_(document),
          text_(document.text()),
          index_(document.index()),
          lineEnd_(lineEndOf(text_)),
          bound_(bound) {}

    // False when the text would grow past the bound.
    bool run(const SchemaLayout* layout) {
        value(0, layout, 0);
        while (!frames_.empty() && out_.size() <= bound_) step();
        return out_.size() <= bound_;
    }

    std::string take() { return std::move(out_); }
    std::string_view lineEnd() const { return lineEnd_; }

  private:
    struct Child {
        std::uint32_t node;
        const SchemaLayout* layout;
    };
    struct Frame {
        char kind;
        std::size_t depth;
        std::vector<Child> children;
        std::size_t next = 0;
    };

    void newLine(std::size_t depth) {
        out_.append(lineEnd_);
        out_.append(2 * depth, ' ');
    }

    // Every member as written, a repeated one too, and every element.
    void value(std::uint32_t node, const SchemaLayout* layout, std::size_t depth) {
        const TextNode& at = index_.nodes[node];
        const JsonKind kind = at.kind();
        if (kind != JsonKind::Object && kind != JsonKind::Array) {
            out_.append(text_.substr(at.start, at.end - at.start));
            return;
        }
        const char open = kind == JsonKind::Object ? '{' : '[';
        if (index_.after(node) == node + 1) {
            out_.append(open == '{' ? "{}" : "[]");
            return;
        }
        out_.push_back(open);
        frames_.push_back({open, depth, children(node, open, layout), 0});
    }

    std::vector<Child> children(std::uint32_t node, char kind, const SchemaLayout* layout) const {
        std::vector<Child> out;
        std::vector<std::size_t> ranks;
        const std::uint32_t end = index_.after(node);
        for (std::uint32_t at = node + 1; at < end; at = index_.after(at)) {
            if (kind == '[') {
                out.push_back({at, layout == nullptr ? nullptr : layout->items});
                continue;
            }
            if (layout == nullptr) {
                out.push_back({at, nullptr});
                ranks.push_back(0);
                continue;
            }
            const std::string name(document_.memberName(at));
            out.push_back({at, layout->memberLayout(name)});
            ranks.push_back(layout->rankOf(name));
        }
        if (kind == '{' && layout != nullptr) sortByRank(out, ranks);
        return out;
    }

    static void sortByRank(std::vector<Child>& children, const std::vector<std::size_t>& ranks) {
        std::vector<std::size_t> order(children.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&ranks](std::size_t a, std::size_t b) { return ranks[a] < ranks[b]; });
        std::vector<Child> sorted;
        sorted.reserve(children.size());
        for (const std::size_t i : order) sorted.push_back(children[i]);
        children = std::move(sorted);
    }

    void step() {
        Frame& frame = frames_.back();
        if (frame.next == frame.children.size()) {
            newLine(frame.depth);
            out_.push_back(frame.kind == '{' ? '}' : ']');
            frames_.pop_back();
            return;
        }
        if (frame.next > 0) out_.push_back(',');
        newLine(frame.depth + 1);
        const Child child = frame.children[frame.next++];
        const std::size_t depth = frame.depth + 1;
        if (frame.kind == '{') {
            out_.append(keyText(child.node));
            out_.append(": ");
        }
        value(child.node, child.layout, depth);  // may add a frame: `frame` is not used after
    }

    // A member's key as written, quotes included.
    std::string_view keyText(std::uint32_t node) const {
        const std::size_t start = index_.nodes[node].keyStart();
        std::size_t at = start + 1;
        while (text_[at] != '"') at += text_[at] == '\\' ? 2 : 1;
        return text_.substr(start, at + 1 - start);
    }

    const LeanDocument& document_;
    std::string_view text_;
    const TextIndex& index_;
    std::string_view lineEnd_;
    std::size_t bound_;
    std::vector<Frame> frames_;
    std::string out_;
};

// Whether the text's end, after its value, holds a line break.
bool endsWithLineBreak(std::string_view text, std::size_t valueEnd) {
    return text.find_first_of("\r\n", valueEnd) != std::string_view::npos;
}

Issue tooLarge(std::size_t bound) {
    Issue issue;
    issue.code = IssueCode::kInvalidParameters;
    issue.path = "/";
    issue.message = "the formatted text would be larger than " + std::to_string(bound) +
                    " bytes (nesting too deep to lay out)";
    return issue;
}

}  // namespace

FormatResult formatText(std::string_view text, std::string_view schemaId) {
    return formatDocument(parseText(text, nullptr), schemaId);
}

FormatResult formatDocument(const Document& parsed, std::string_view schemaId) {
    FormatResult result;
    const LeanDocument* document = leanDocumentOf(parsed);
    if (document == nullptr) {
        result.issues = parsed.issues();
        return result;
    }
    const std::string_view text = document->text();
    const std::size_t bound = kFormatGrowth * text.size() + kFormatSlack;
    Layouter layouter(*document, bound);
    const bool hasMark = startsWithByteOrderMark(text);
    if (!layouter.run(SchemaLayout::of(schemaId))) {
        result.issues.push_back(tooLarge(bound));
        return result;
    }
    std::string body = layouter.take();
    if (hasMark) result.text = std::string(kByteOrderMark);
    result.text += body;
    if (endsWithLineBreak(text, document->index().nodes[0].end)) {
        result.text += layouter.lineEnd();
    }
    result.ok = true;
    return result;
}

TextEdit changedSpan(std::string_view before, std::string_view after) {
    std::size_t start = 0;
    const std::size_t shorter = std::min(before.size(), after.size());
    while (start < shorter && before[start] == after[start]) ++start;
    // The edit's ends fall between characters of both texts: an editor
    // places them by characters, and its new text must be whole UTF-8.
    while (!canCutAt(before, start) || !canCutAt(after, start)) --start;
    std::size_t tail = 0;
    while (tail < shorter - start &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        ++tail;
    }
    while (!canCutAt(before, before.size() - tail) || !canCutAt(after, after.size() - tail)) {
        --tail;
    }
    return {start, before.size() - start - tail,
            std::string(after.substr(start, after.size() - start - tail))};
}

}  // namespace OrvexConfigValidate
