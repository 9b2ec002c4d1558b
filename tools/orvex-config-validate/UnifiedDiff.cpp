#include "UnifiedDiff.hpp"

#include <algorithm>
#include <cstddef>
#include <optional>

#include <orvexconfigvalidate/Escape.hpp>

namespace OrvexConfigValidate::Tool {

namespace {

constexpr std::size_t kContext = 3;

// The lines of a text, each with its "\n"; the last may lack one.
class Lines {
  public:
    explicit Lines(std::string_view text) : text_(text) {
        if (text.empty()) return;
        starts_.push_back(0);
        for (std::size_t at = 0; at + 1 < text.size(); ++at) {
            if (text[at] == '\n') starts_.push_back(at + 1);
        }
    }
    std::size_t count() const { return starts_.size(); }
    std::size_t lineOf(std::size_t offset) const {
        const auto next = std::upper_bound(starts_.begin(), starts_.end(), offset);
        return next == starts_.begin() ? 0 : static_cast<std::size_t>(next - starts_.begin()) - 1;
    }
    std::size_t start(std::size_t line) const {
        return line < starts_.size() ? starts_[line] : text_.size();
    }
    std::string_view line(std::size_t line) const {
        return text_.substr(start(line), start(line + 1) - start(line));
    }

  private:
    std::string_view text_;
    std::vector<std::size_t> starts_;
};

// Lines [first, end) of the text, with the edits that fall in them.
struct Block {
    std::size_t first;
    std::size_t end;
    std::vector<const TextEdit*> edits;
    std::string replacement;  // the lines once edited
    // The last character of the edited lines up to the end of the last
    // edit, if any: whether an edit took a line's end is known without
    // building the replacement again.
    std::optional<char> last;

    void add(std::string_view text, const Lines& lines, const TextEdit& edit) {
        const std::size_t before =
            edits.empty() ? lines.start(first) : edits.back()->offset + edits.back()->length;
        if (!edit.newText.empty()) {
            last = edit.newText.back();
        } else if (edit.offset > before) {
            last = text[edit.offset - 1];
        }
        edits.push_back(&edit);
    }
    // An edit that took a line's end (its replacement ends without one)
    // joins the next line to the block.
    bool joinsNextLine(const Lines& lines) const {
        const TextEdit& edit = *edits.back();
        return end < lines.count() && edit.offset + edit.length >= lines.start(end) && last &&
               *last != '\n';
    }
};

std::string edited(std::string_view text, const Lines& lines, const Block& block) {
    const std::size_t base = lines.start(block.first);
    std::string out;
    std::size_t at = base;
    for (const TextEdit* edit : block.edits) {
        out.append(text.substr(at, edit->offset - at)).append(edit->newText);
        at = edit->offset + edit->length;
    }
    out.append(text.substr(at, lines.start(block.end) - at));
    return out;
}

// One pass: a block grows by the lines of each edit and by a line whose
// end an edit took, and each replacement is built once, so fixes whose
// lines run into each other cost no more than apart.
std::vector<Block> blocksOf(std::string_view text, const Lines& lines,
                            const std::vector<TextEdit>& edits) {
    std::vector<Block> blocks;
    for (const TextEdit& edit : edits) {
        const std::size_t first = lines.lineOf(edit.offset);
        const std::size_t last =
            edit.length == 0 ? first : lines.lineOf(edit.offset + edit.length - 1);
        const std::size_t end = std::min(std::max(last + 1, first + 1), lines.count());
        if (!blocks.empty() && first <= blocks.back().end) {
            blocks.back().end = std::max(blocks.back().end, end);
        } else {
            blocks.push_back({first, std::max(end, first), {}, {}, std::nullopt});
        }
        Block& block = blocks.back();
        block.add(text, lines, edit);
        if (block.joinsNextLine(lines)) ++block.end;
    }
    for (Block& block : blocks) block.replacement = edited(text, lines, block);
    return blocks;
}

class HunkWriter {
  public:
    explicit HunkWriter(std::string& out) : out_(out) {}

    void line(char mark, std::string_view text) {
        out_ += mark;
        out_.append(text);
        if (text.empty() || text.back() != '\n') out_ += "\n\\ No newline at end of file\n";
    }
    void lines(char mark, std::string_view text) {
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
            line(mark, text.substr(at, end - at));
            at = end;
        }
    }

  private:
    std::string& out_;
};

std::size_t lineCount(std::string_view text) {
    std::size_t count = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    if (!text.empty() && text.back() != '\n') ++count;
    return count;
}

// A "---" or "+++" line as git writes it, so that git apply and patch read
// back the same bytes; a space in it is followed by a tab at the end,
// which tells patch where the name stops.
std::string headerLine(std::string_view marker, const std::string& name) {
    const std::string written = gitQuoted(name);
    return std::string(marker) + " " + written +
           (written.find(' ') == std::string::npos ? "\n" : "\t\n");
}

std::string range(std::size_t first, std::size_t count) {
    // An empty range names the line before it.
    return std::to_string(count == 0 ? first : first + 1) + "," + std::to_string(count);
}

}  // namespace

std::string unifiedDiff(std::string_view text, const std::vector<TextEdit>& edits,
                        const std::string& path) {
    if (edits.empty()) return {};
    const Lines lines(text);
    const std::vector<Block> blocks = blocksOf(text, lines, edits);
    std::string out = headerLine("---", "a/" + path) + headerLine("+++", "b/" + path);
    long long shift = 0;  // lines added minus removed before the hunk
    for (std::size_t b = 0; b < blocks.size();) {
        std::size_t last = b;
        while (last + 1 < blocks.size() &&
               blocks[last + 1].first <= blocks[last].end + 2 * kContext) {
            ++last;
        }
        const std::size_t first = blocks[b].first > kContext ? blocks[b].first - kContext : 0;
        const std::size_t end = std::min(blocks[last].end + kContext, lines.count());
        std::string body;
        HunkWriter writer(body);
        std::size_t oldCount = 0;
        std::size_t newCount = 0;
        std::size_t at = first;
        for (std::size_t k = b; k <= last; ++k) {
            for (; at < blocks[k].first; ++at, ++oldCount, ++newCount)
                writer.line(' ', lines.line(at));
            for (; at < blocks[k].end; ++at, ++oldCount) writer.line('-', lines.line(at));
            writer.lines('+', blocks[k].replacement);
            newCount += lineCount(blocks[k].replacement);
        }
        for (; at < end; ++at, ++oldCount, ++newCount) writer.line(' ', lines.line(at));
        const auto newFirst = static_cast<std::size_t>(static_cast<long long>(first) + shift);
        out += "@@ -" + range(first, oldCount) + " +" + range(newFirst, newCount) + " @@\n" + body;
        shift += static_cast<long long>(newCount) - static_cast<long long>(oldCount);
        b = last + 1;
    }
    return out;
}

}  // namespace OrvexConfigValidate::Tool
