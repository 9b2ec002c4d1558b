#include "json/LeanDocument.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

#include "json/Decimal.hpp"
#include "json/JsonReader.hpp"

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

bool isContainer(const TextNode& node) {
    return node.kind() == JsonKind::Object || node.kind() == JsonKind::Array;
}

}  // namespace

// The containers that get a table, with their child counts, by node: one
// pre-order pass with a stack of the open containers, each counting its
// children (a replaced member is not one) until it closes.
std::vector<std::pair<std::uint32_t, std::uint32_t>> LeanDocument::tabledContainers() const {
    const std::vector<TextNode>& nodes = index_->nodes;
    const auto count = static_cast<std::uint32_t>(nodes.size());
    std::vector<std::pair<std::uint32_t, std::uint32_t>> open;  // node, children so far
    std::vector<std::pair<std::uint32_t, std::uint32_t>> tabled;
    const auto close = [&] {
        if (open.back().second >= kTabledFrom) tabled.push_back(open.back());
        open.pop_back();
    };
    for (std::uint32_t node = 0; node < count; ++node) {
        while (!open.empty() && nodes[open.back().first].end <= nodes[node].start) close();
        if (!open.empty() && !nodes[node].shadowed()) ++open.back().second;
        if (isContainer(nodes[node])) open.emplace_back(node, 0);
    }
    while (!open.empty()) close();
    // Closed innermost first: sorted back into node order.
    std::sort(tabled.begin(), tabled.end());
    return tabled;
}

// Tables for the large containers only, each filled by walking its
// children: members at their rank (a replaced member has no place of its
// own), elements in order.
void LeanDocument::buildChildren() {
    const std::vector<TextNode>& nodes = index_->nodes;
    const auto tabled = tabledContainers();
    containers_.reserve(tabled.size());
    firstChild_.reserve(tabled.size() + 1);
    firstChild_.push_back(0);
    for (const auto& [node, size] : tabled) {
        containers_.push_back(node);
        firstChild_.push_back(firstChild_.back() + size);
    }
    children_.resize(firstChild_.back());
    for (std::size_t k = 0; k < containers_.size(); ++k) {
        const std::uint32_t container = containers_[k];
        const bool object = nodes[container].kind() == JsonKind::Object;
        std::uint32_t next = firstChild_[k];
        for (std::uint32_t child = firstChild(container); child != kNoNode;
             child = nextChild(container, child)) {
            if (nodes[child].shadowed()) continue;
            children_[object ? firstChild_[k] + nodes[child].rank : next++] = child;
        }
    }
    const auto count = static_cast<std::uint32_t>(nodes.size());
    runFirst_.resize((count >> kRunShift) + 2);
    std::size_t first = 0;
    for (std::size_t run = 0; run < runFirst_.size(); ++run) {
        while (first < containers_.size() && containers_[first] < (run << kRunShift)) ++first;
        runFirst_[run] = static_cast<std::uint32_t>(first);
    }
}

LeanDocument::Children LeanDocument::table(std::uint32_t node) const {
    const std::size_t run = node >> kRunShift;
    if (run + 1 >= runFirst_.size()) return {nullptr, 0};
    const auto last = containers_.begin() + runFirst_[run + 1];
    const auto found = std::lower_bound(containers_.begin() + runFirst_[run], last, node);
    if (found == last || *found != node) return {nullptr, 0};
    const auto ordinal = static_cast<std::size_t>(found - containers_.begin());
    return {children_.data() + firstChild_[ordinal],
            firstChild_[ordinal + 1] - firstChild_[ordinal]};
}

std::uint32_t LeanDocument::firstChild(std::uint32_t container) const {
    const std::vector<TextNode>& nodes = index_->nodes;
    const std::uint32_t child = container + 1;
    return child < nodes.size() && nodes[child].start < nodes[container].end ? child : kNoNode;
}

std::uint32_t LeanDocument::nextChild(std::uint32_t container, std::uint32_t child) const {
    const std::vector<TextNode>& nodes = index_->nodes;
    const std::uint32_t next = index_->after(child);
    return next < nodes.size() && nodes[next].start < nodes[container].end ? next : kNoNode;
}

std::uint32_t LeanDocument::walkedSize(std::uint32_t container) const {
    std::uint32_t size = 0;
    for (std::uint32_t child = firstChild(container); child != kNoNode;
         child = nextChild(container, child)) {
        if (!index_->nodes[child].shadowed()) ++size;
    }
    return size;
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
    // A Float is never an integer token: its digits need not be tried as one.
    if (kind(node) == JsonKind::Float) return doubleOf(numberText(node));
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
    // Integers are held exactly.
    if (kind(node) != JsonKind::Float) return {};
    const std::string_view token = numberText(node);
    Decimal written;
    return differsFromHeld(token, nlohmann::json(doubleOf(token)), written) ? token
                                                                            : std::string_view();
}

std::string_view LeanDocument::quoted(std::uint32_t quote) const {
    const char* const from = text_.data() + quote + 1;
    const auto* close = static_cast<const char*>(std::memchr(from, '"', text_.size() - quote - 1));
    const auto length = static_cast<std::size_t>(close - from);
    // Only a string with an escape can hold a backslash; most documents
    // have none at all.
    if (!strings_.quotes.empty() && std::memchr(from, '\\', length) != nullptr) {
        return strings_.at(quote);
    }
    return {from, length};
}

std::string_view LeanDocument::string(std::uint32_t node) const {
    const TextNode& place = index_->nodes[node];
    const std::string_view inner = text_.substr(place.start + 1, place.end - place.start - 2);
    if (!strings_.quotes.empty() && std::memchr(inner.data(), '\\', inner.size()) != nullptr) {
        return strings_.at(place.start);
    }
    return inner;
}

std::string_view LeanDocument::memberName(std::uint32_t valueNode) const {
    const TextNode& place = index_->nodes[valueNode];
    return place.hasKey() ? quoted(place.keyStart()) : std::string_view();
}

std::size_t LeanDocument::size(std::uint32_t node) const {
    if (!isContainer(index_->nodes[node])) return 0;
    const Children tabled = table(node);
    return tabled.begin != nullptr ? tabled.size : walkedSize(node);
}

std::uint32_t LeanDocument::member(std::uint32_t node, std::string_view name) const {
    if (kind(node) != JsonKind::Object) return kNoNode;
    const Children members = table(node);
    if (members.begin == nullptr) {
        // Of a repeated name, only the last member is not replaced.
        for (std::uint32_t child = firstChild(node); child != kNoNode;
             child = nextChild(node, child)) {
            if (!index_->nodes[child].shadowed() && memberName(child) == name) return child;
        }
        return kNoNode;
    }
    const std::uint32_t* const end = members.begin + members.size;
    const std::uint32_t* found = std::lower_bound(
        members.begin, end, name, [this](std::uint32_t value, std::string_view wanted) {
            return memberName(value) < wanted;
        });
    return found != end && memberName(*found) == name ? *found : kNoNode;
}

std::uint32_t LeanDocument::memberAt(std::uint32_t node, std::size_t k) const {
    if (kind(node) != JsonKind::Object) return kNoNode;
    const Children members = table(node);
    if (members.begin != nullptr) return k < members.size ? members.begin[k] : kNoNode;
    for (std::uint32_t child = firstChild(node); child != kNoNode; child = nextChild(node, child)) {
        const TextNode& place = index_->nodes[child];
        if (place.rank == k && !place.shadowed()) return child;
    }
    return kNoNode;
}

std::uint32_t LeanDocument::nextMember(std::uint32_t node, std::uint32_t member) const {
    const std::vector<TextNode>& nodes = index_->nodes;
    const std::uint32_t rank = nodes[member].rank + 1;
    const Children members = table(node);
    if (members.begin != nullptr) return rank < members.size ? members.begin[rank] : kNoNode;
    const auto isNext = [&](std::uint32_t child) {
        return nodes[child].rank == rank && !nodes[child].shadowed();
    };
    // Members are often written in order: the search starts after this one.
    for (std::uint32_t child = nextChild(node, member); child != kNoNode;
         child = nextChild(node, child)) {
        if (isNext(child)) return child;
    }
    for (std::uint32_t child = firstChild(node); child != member; child = nextChild(node, child)) {
        if (isNext(child)) return child;
    }
    return kNoNode;
}

std::uint32_t LeanDocument::element(std::uint32_t node, std::size_t i) const {
    if (kind(node) != JsonKind::Array) return kNoNode;
    const Children elements = table(node);
    if (elements.begin != nullptr) return i < elements.size ? elements.begin[i] : kNoNode;
    std::uint32_t child = firstChild(node);
    for (; i > 0 && child != kNoNode; --i) child = nextChild(node, child);
    return child;
}

std::uint32_t LeanDocument::firstElement(std::uint32_t node) const {
    return kind(node) == JsonKind::Array ? firstChild(node) : kNoNode;
}

std::uint32_t LeanDocument::nextElement(std::uint32_t container, std::uint32_t element) const {
    return nextChild(container, element);
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
    readJsonLean(text_, index_, strings, issues);
    document_ = std::make_unique<LeanDocument>(text_, index_, std::move(strings));
    document_->graft(document_->member(LeanDocument::root(), "server"), server);
    document_->graft(document_->member(LeanDocument::root(), "bridges"), bridges);
}

}  // namespace OrvexConfigValidate
