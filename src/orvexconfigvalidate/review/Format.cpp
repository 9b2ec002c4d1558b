#include <orvexconfigvalidate/Format.hpp>

#include <orvexconfigvalidate/Configuration.hpp>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "review/JsonOutline.hpp"
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

// A key's name: the text between its quotes, unescaped when it holds an
// escape (rare; the schemas' names hold none).
std::string keyName(std::string_view key) {
    const std::string_view inner = key.substr(1, key.size() - 2);
    if (inner.find('\\') == std::string_view::npos) return std::string(inner);
    return nlohmann::json::parse(key).get<std::string>();
}

class Layouter {
  public:
    Layouter(std::string_view text, const JsonOutline& outline, std::size_t bound)
        : text_(text), nodes_(outline.nodes), lineEnd_(lineEndOf(text)), bound_(bound) {}

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

    void value(std::uint32_t index, const SchemaLayout* layout, std::size_t depth) {
        const OutlineNode& node = nodes_[index];
        if (node.kind == 's') {
            out_.append(text_.substr(node.begin, node.end - node.begin));
            return;
        }
        if (node.firstChild == OutlineNode::kNone) {
            out_.append(node.kind == '{' ? "{}" : "[]");
            return;
        }
        out_.push_back(node.kind);
        frames_.push_back({node.kind, depth, children(node, layout), 0});
    }

    std::vector<Child> children(const OutlineNode& node, const SchemaLayout* layout) const {
        std::vector<Child> out;
        std::vector<std::size_t> ranks;
        for (std::uint32_t at = node.firstChild; at != OutlineNode::kNone; at = nodes_[at].next) {
            if (node.kind == '[') {
                out.push_back({at, layout == nullptr ? nullptr : layout->items});
                continue;
            }
            if (layout == nullptr) {
                out.push_back({at, nullptr});
                ranks.push_back(0);
                continue;
            }
            const OutlineNode& member = nodes_[at];
            const std::string name =
                keyName(text_.substr(member.keyBegin, member.keyEnd - member.keyBegin));
            out.push_back({at, layout->memberLayout(name)});
            ranks.push_back(layout->rankOf(name));
        }
        if (node.kind == '{' && layout != nullptr) sortByRank(out, ranks);
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
            const OutlineNode& member = nodes_[child.node];
            out_.append(text_.substr(member.keyBegin, member.keyEnd - member.keyBegin));
            out_.append(": ");
        }
        value(child.node, child.layout, depth);  // may add a frame: `frame` is not used after
    }

    std::string_view text_;
    const std::vector<OutlineNode>& nodes_;
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
    FormatResult result;
    {
        ParsedText parsed = parseText(text);
        if (!parsed.ok()) {
            result.issues = parsed.issues();
            return result;
        }
    }
    const JsonOutline outline = outlineJson(text);
    const std::size_t bound = kFormatGrowth * text.size() + kFormatSlack;
    Layouter layouter(text, outline, bound);
    const bool hasMark = startsWithByteOrderMark(text);
    if (!layouter.run(SchemaLayout::of(schemaId))) {
        result.issues.push_back(tooLarge(bound));
        return result;
    }
    std::string body = layouter.take();
    if (hasMark) result.text = std::string(kByteOrderMark);
    result.text += body;
    if (endsWithLineBreak(text, outline.valueEnd)) result.text += layouter.lineEnd();
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
