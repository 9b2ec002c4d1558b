#include "review/JsonOutline.hpp"

namespace OrvexConfigValidate {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

class OutlineReader {
  public:
    explicit OutlineReader(std::string_view text) : text_(text) {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    }

    JsonOutline read() {
        for (;;) {
            skipSpace();
            if (!open_.empty() && closes(text_[pos_])) {
                ++pos_;
                open_.pop_back();
                last_.pop_back();
            } else {
                readEntry();
            }
            if (open_.empty()) break;
            skipSpace();
            if (text_[pos_] == ',') ++pos_;
        }
        out_.valueEnd = pos_;
        return std::move(out_);
    }

  private:
    static bool closes(char c) { return c == '}' || c == ']'; }

    void skipSpace() {
        while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
    }

    std::size_t stringEnd(std::size_t from) const {
        std::size_t at = from + 1;
        while (at < text_.size() && text_[at] != '"') at += text_[at] == '\\' ? 2 : 1;
        return at + 1;
    }

    // A member (key, colon, value) or an element.
    void readEntry() {
        OutlineNode node;
        if (!open_.empty() && out_.nodes[open_.back()].kind == '{') {
            node.keyBegin = static_cast<std::uint32_t>(pos_);
            pos_ = stringEnd(pos_);
            node.keyEnd = static_cast<std::uint32_t>(pos_);
            skipSpace();
            ++pos_;  // ':'
            skipSpace();
        }
        const char c = text_[pos_];
        if (c == '{' || c == '[') {
            node.kind = c;
            ++pos_;
        } else {
            node.kind = 's';
            node.begin = static_cast<std::uint32_t>(pos_);
            pos_ = c == '"' ? stringEnd(pos_) : scalarEnd(pos_);
            node.end = static_cast<std::uint32_t>(pos_);
        }
        attach(node);
    }

    std::size_t scalarEnd(std::size_t at) const {
        while (at < text_.size() && !isSpace(text_[at]) && text_[at] != ',' && !closes(text_[at])) {
            ++at;
        }
        return at;
    }

    void attach(const OutlineNode& node) {
        const auto index = static_cast<std::uint32_t>(out_.nodes.size());
        out_.nodes.push_back(node);
        if (!open_.empty()) {
            std::uint32_t& last = last_.back();
            if (last == OutlineNode::kNone) {
                out_.nodes[open_.back()].firstChild = index;
            } else {
                out_.nodes[last].next = index;
            }
            last = index;
        }
        if (node.kind != 's') {
            open_.push_back(index);
            last_.push_back(OutlineNode::kNone);
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    JsonOutline out_;
    std::vector<std::uint32_t> open_;  // containers not yet closed
    std::vector<std::uint32_t> last_;  // the last child of each
};

}  // namespace

JsonOutline outlineJson(std::string_view text) {
    return OutlineReader(text).read();
}

}  // namespace OrvexConfigValidate
