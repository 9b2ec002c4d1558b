#include "json/LeanDocument.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

#include "json/JsonReader.hpp"
#include "json/WrittenNumbers.hpp"

namespace OrvexConfigValidate {

const std::string& UnescapedStrings::at(std::uint32_t quote) const {
    const auto found = std::lower_bound(quotes.begin(), quotes.end(), quote);
    return values[static_cast<std::size_t>(found - quotes.begin())];
}

LeanDocument::LeanDocument(std::string_view text, const TextIndex& index, UnescapedStrings strings)
    : text_(text), index_(&index), strings_(std::move(strings)) {
    buildChildren();
}

namespace {

bool opensContainer(char c) {
    return c == '{' || c == '[';
}

}  // namespace

// Two pre-order passes with a stack of the open containers: the first
// counts each container's children, the second places them, members at
// their rank (a replaced member has no place of its own).
void LeanDocument::buildChildren() {
    const std::vector<TextNode>& nodes = index_->nodes;
    const auto count = static_cast<std::uint32_t>(nodes.size());
    std::vector<std::uint32_t> open;  // container ordinals
    const auto parentOf = [&](std::uint32_t node) {
        while (!open.empty() && nodes[containers_[open.back()]].end <= nodes[node].start) {
            open.pop_back();
        }
        return open.empty() ? kNoNode : open.back();
    };
    firstChild_.push_back(0);
    for (std::uint32_t node = 0; node < count; ++node) {
        const std::uint32_t parent = parentOf(node);
        if (parent != kNoNode && !nodes[node].shadowed()) ++firstChild_[parent + 1];
        if (!opensContainer(text_[nodes[node].start])) continue;
        open.push_back(static_cast<std::uint32_t>(containers_.size()));
        containers_.push_back(node);
        firstChild_.push_back(0);
    }
    for (std::size_t k = 1; k < firstChild_.size(); ++k) firstChild_[k] += firstChild_[k - 1];
    children_.resize(firstChild_.back());
    std::vector<std::uint32_t> next(firstChild_.begin(), firstChild_.end() - 1);
    open.clear();
    std::uint32_t ordinal = 0;
    for (std::uint32_t node = 0; node < count; ++node) {
        const std::uint32_t parent = parentOf(node);
        const TextNode& place = nodes[node];
        if (parent != kNoNode && !place.shadowed()) {
            const bool member = text_[nodes[containers_[parent]].start] == '{';
            children_[member ? firstChild_[parent] + place.rank : next[parent]++] = node;
        }
        if (opensContainer(text_[place.start])) open.push_back(ordinal++);
    }
    runFirst_.resize((count >> kRunShift) + 2);
    std::size_t first = 0;
    for (std::size_t run = 0; run < runFirst_.size(); ++run) {
        while (first < containers_.size() && containers_[first] < (run << kRunShift)) ++first;
        runFirst_[run] = static_cast<std::uint32_t>(first);
    }
}

LeanDocument::Children LeanDocument::children(std::uint32_t node) const {
    const std::size_t run = node >> kRunShift;
    if (run + 1 >= runFirst_.size()) return {nullptr, 0};
    const auto last = containers_.begin() + runFirst_[run + 1];
    const auto found = std::lower_bound(containers_.begin() + runFirst_[run], last, node);
    if (found == last || *found != node) return {nullptr, 0};
    const auto ordinal = static_cast<std::size_t>(found - containers_.begin());
    return {children_.data() + firstChild_[ordinal],
            firstChild_[ordinal + 1] - firstChild_[ordinal]};
}

JsonKind LeanDocument::kind(std::uint32_t node) const {
    switch (text_[index_->nodes[node].start]) {
        case '{':
            return JsonKind::Object;
        case '[':
            return JsonKind::Array;
        case '"':
            return JsonKind::String;
        case 't':
        case 'f':
            return JsonKind::Boolean;
        case 'n':
            return JsonKind::Null;
        default:
            break;
    }
    switch (numberValue(numberText(node)).type) {
        case NumberValue::Type::Unsigned:
            return JsonKind::Unsigned;
        case NumberValue::Type::Signed:
            return JsonKind::Integer;
        default:
            return JsonKind::Float;
    }
}

bool LeanDocument::boolean(std::uint32_t node) const {
    return text_[index_->nodes[node].start] == 't';
}

std::int64_t LeanDocument::integer(std::uint32_t node) const {
    const NumberValue value = numberValue(numberText(node));
    if (value.type == NumberValue::Type::Unsigned) {
        return static_cast<std::int64_t>(value.unsignedValue);
    }
    if (value.type == NumberValue::Type::Signed) return value.signedValue;
    return static_cast<std::int64_t>(value.doubleValue);
}

std::uint64_t LeanDocument::unsignedInteger(std::uint32_t node) const {
    const NumberValue value = numberValue(numberText(node));
    if (value.type == NumberValue::Type::Signed) {
        return static_cast<std::uint64_t>(value.signedValue);
    }
    if (value.type == NumberValue::Type::Double) {
        return static_cast<std::uint64_t>(value.doubleValue);
    }
    return value.unsignedValue;
}

double LeanDocument::number(std::uint32_t node) const {
    const NumberValue value = numberValue(numberText(node));
    if (value.type == NumberValue::Type::Unsigned) {
        return static_cast<double>(value.unsignedValue);
    }
    if (value.type == NumberValue::Type::Signed) return static_cast<double>(value.signedValue);
    return value.doubleValue;
}

std::string_view LeanDocument::numberText(std::uint32_t node) const {
    const TextNode& place = index_->nodes[node];
    return text_.substr(place.start, place.end - place.start);
}

std::string_view LeanDocument::inexactNumberText(std::uint32_t node) const {
    const std::string_view token = numberText(node);
    const NumberValue value = numberValue(token);
    if (value.type != NumberValue::Type::Double) return {};
    Decimal written;
    return differsFromHeld(token, nlohmann::json(value.doubleValue), written) ? token
                                                                              : std::string_view();
}

std::string_view LeanDocument::quoted(std::uint32_t quote) const {
    // Only a string with an escape can hold a quote or backslash before its end.
    std::size_t end = quote + 1;
    while (text_[end] != '"' && text_[end] != '\\') ++end;
    if (text_[end] == '\\') return strings_.at(quote);
    return text_.substr(quote + 1, end - quote - 1);
}

std::string_view LeanDocument::string(std::uint32_t node) const {
    const TextNode& place = index_->nodes[node];
    const std::string_view inner = text_.substr(place.start + 1, place.end - place.start - 2);
    if (std::memchr(inner.data(), '\\', inner.size()) != nullptr) {
        return strings_.at(place.start);
    }
    return inner;
}

std::string_view LeanDocument::memberName(std::uint32_t valueNode) const {
    const TextNode& place = index_->nodes[valueNode];
    return place.hasKey() ? quoted(place.keyStart()) : std::string_view();
}

std::size_t LeanDocument::size(std::uint32_t node) const {
    return children(node).size;
}

std::uint32_t LeanDocument::member(std::uint32_t node, std::string_view name) const {
    if (kind(node) != JsonKind::Object) return kNoNode;
    const Children members = children(node);
    const std::uint32_t* const end = members.begin + members.size;
    const std::uint32_t* found = std::lower_bound(
        members.begin, end, name, [this](std::uint32_t value, std::string_view wanted) {
            return memberName(value) < wanted;
        });
    return found != end && memberName(*found) == name ? *found : kNoNode;
}

std::uint32_t LeanDocument::memberAt(std::uint32_t node, std::size_t k) const {
    const Children members = children(node);
    return k < members.size && kind(node) == JsonKind::Object ? members.begin[k] : kNoNode;
}

std::uint32_t LeanDocument::element(std::uint32_t node, std::size_t i) const {
    const Children elements = children(node);
    return i < elements.size && kind(node) == JsonKind::Array ? elements.begin[i] : kNoNode;
}

std::uint32_t LeanDocument::firstElement(std::uint32_t node) const {
    return element(node, 0);
}

std::uint32_t LeanDocument::nextElement(std::uint32_t container, std::uint32_t element) const {
    const std::uint32_t next = index_->after(element);
    const std::vector<TextNode>& nodes = index_->nodes;
    return next < nodes.size() && nodes[next].start < nodes[container].end ? next : kNoNode;
}

std::uint64_t LeanDocument::valueCount(std::uint32_t node) const {
    const std::vector<TextNode>& nodes = index_->nodes;
    const std::uint32_t end = index_->after(node);
    std::uint64_t count = 0;
    // Nodes in pre-order: a subtree to leave out is skipped whole.
    for (std::uint32_t at = node; at < end;) {
        const LeanDocument* grafted = graftAt(at);
        if (grafted != nullptr) count += grafted->valueCount(root());
        if (grafted != nullptr || (at != node && nodes[at].shadowed())) {
            at = index_->after(at);
            continue;
        }
        ++count;
        ++at;
    }
    return count;
}

const LeanDocument* LeanDocument::graftAt(std::uint32_t node) const noexcept {
    for (const auto& [at, other] : grafts_) {
        if (at == node) return other;
    }
    return nullptr;
}

void LeanDocument::graft(std::uint32_t node, const LeanDocument& other) {
    grafts_.emplace_back(node, &other);
}

JsonView LeanDocument::graftedView(std::uint32_t node) const noexcept {
    const LeanDocument* other = graftAt(node);
    return other != nullptr ? JsonView(*other, root()) : JsonView(*this, node);
}

LeanEnvelope::LeanEnvelope(const LeanDocument& server, const LeanDocument& bridges)
    : text_(R"({"bridges":0,"server":0})") {
    UnescapedStrings strings;
    std::vector<Issue> issues;
    readJsonLean(text_, index_, strings, issues, nullptr);
    document_ = std::make_unique<LeanDocument>(text_, index_, std::move(strings));
    document_->graft(document_->member(LeanDocument::root(), "server"), server);
    document_->graft(document_->member(LeanDocument::root(), "bridges"), bridges);
}

}  // namespace OrvexConfigValidate
