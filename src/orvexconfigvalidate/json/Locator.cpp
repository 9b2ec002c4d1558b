#include "json/Locator.hpp"

#include <iterator>

#include "json/LeanDocument.hpp"
#include "json/PointerText.hpp"

namespace OrvexConfigValidate {

namespace {

// Containers smaller than this are walked even when remembering: tabling
// one costs allocations that a walk of a few siblings does not, and issues
// spread over many small objects (one per group, say) would table them all.
// A walk of fewer siblings keeps each call bounded.
constexpr std::size_t kTabledFrom = 16;

}  // namespace

Locator::Locator(const LeanDocument& lean) : index_(lean.index()), lean_(&lean) {}

const std::vector<std::uint32_t>& Locator::childrenOf(std::uint32_t container) {
    auto [it, added] = children_.try_emplace(container);
    if (added) {
        const std::uint32_t end = index_.after(container);
        for (std::uint32_t child = container + 1; child < end; child = index_.after(child)) {
            it->second.push_back(child);
        }
    }
    return it->second;
}

std::uint32_t Locator::elementNode(std::uint32_t container, std::size_t position,
                                   std::size_t size) {
    if (remember_ && size >= kTabledFrom) {
        const auto& children = childrenOf(container);
        return position < children.size() ? children[position] : kNone;
    }
    const std::uint32_t end = index_.after(container);
    std::uint32_t child = container + 1;
    for (std::size_t k = 0; k < position && child < end; ++k) child = index_.after(child);
    return child < end ? child : kNone;
}

std::uint32_t Locator::memberNode(std::uint32_t container, const Members& members,
                                  Members::const_iterator member) {
    if (remember_ && members.size() >= kTabledFrom) {
        auto [it, added] = members_.try_emplace(container);
        if (added) {
            std::vector<std::uint32_t> byRank(members.size(), kNone);
            for (const std::uint32_t child : childrenOf(container)) {
                const TextNode& node = index_.nodes[child];
                if (!node.shadowed() && node.rank < byRank.size()) byRank[node.rank] = child;
            }
            std::size_t rank = 0;
            for (const JsonMember& entry : members) it->second[&entry] = byRank[rank++];
        }
        const auto found = it->second.find(&*member);
        return found == it->second.end() ? kNone : found->second;
    }
    const auto rank = static_cast<std::uint32_t>(std::distance(members.begin(), member));
    const std::uint32_t end = index_.after(container);
    for (std::uint32_t child = container + 1; child < end; child = index_.after(child)) {
        const TextNode& node = index_.nodes[child];
        if (node.rank == rank && !node.shadowed()) return child;
    }
    return kNone;
}

TextLocation Locator::locateLean(std::string_view pointer) const {
    const auto tokens = splitPointer(pointer);
    std::uint32_t node = 0;
    if (!tokens) return index_.of(index_.nodes[node]);
    for (const std::string& token : *tokens) {
        std::uint32_t next = kNone;
        const JsonKind kind = lean_->kind(node);
        if (kind == JsonKind::Object) {
            next = lean_->member(node, token);
        } else if (kind == JsonKind::Array) {
            const auto position = arrayIndexOf(token);
            if (position) next = lean_->element(node, *position);
        }
        if (next == kNone) break;
        node = next;
    }
    return index_.of(index_.nodes[node]);
}

TextLocation Locator::locate(std::string_view pointer) {
    if (index_.nodes.empty()) return {};
    if (lean_ != nullptr) return locateLean(pointer);
    const auto tokens = splitPointer(pointer);
    std::uint32_t node = 0;
    const nlohmann::json* value = document_;
    if (!tokens) return index_.of(index_.nodes[node]);
    for (const std::string& token : *tokens) {
        std::uint32_t next = kNone;
        const nlohmann::json* nextValue = nullptr;
        if (value->is_object()) {
            const auto& members = value->get_ref<const Members&>();
            const auto it = members.find(token);
            if (it != members.end()) {
                next = memberNode(node, members, it);
                nextValue = &it->second;
            }
        } else if (value->is_array()) {
            const auto position = arrayIndexOf(token);
            if (position && *position < value->size()) {
                next = elementNode(node, *position, value->size());
                nextValue = &(*value)[*position];
            }
        }
        if (next == kNone) break;
        node = next;
        value = nextValue;
    }
    return index_.of(index_.nodes[node]);
}

std::uint32_t Locator::innerAt(std::uint32_t node, std::size_t offset,
                               std::uint32_t& ordinal) const {
    const std::uint32_t end = index_.after(node);
    ordinal = 0;
    for (std::uint32_t child = node + 1; child < end; child = index_.after(child), ++ordinal) {
        const TextNode& candidate = index_.nodes[child];
        if (offset >= candidate.spanStart() && offset < candidate.end) return child;
    }
    return kNone;
}

std::string Locator::pointerAtLean(std::size_t offset) const {
    std::string pointer;
    std::uint32_t node = 0;
    for (;;) {
        std::uint32_t ordinal = 0;
        const std::uint32_t inner = innerAt(node, offset, ordinal);
        if (inner == kNone) return pointer;
        pointer += '/';
        pointer += lean_->kind(node) == JsonKind::Object
                       ? escapePointerToken(lean_->memberName(inner))
                       : std::to_string(ordinal);
        // A replaced member's name is as far as a pointer goes.
        if (index_.nodes[inner].shadowed()) return pointer;
        node = inner;
    }
}

std::string Locator::pointerAt(std::size_t offset) const {
    if (index_.nodes.empty()) return {};
    if (lean_ != nullptr) return pointerAtLean(offset);
    std::string pointer;
    std::uint32_t node = 0;
    const nlohmann::json* value = document_;
    for (;;) {
        std::uint32_t ordinal = 0;
        const std::uint32_t inner = innerAt(node, offset, ordinal);
        if (inner == kNone) return pointer;
        const TextNode& found = index_.nodes[inner];
        // A document changed since parsing may no longer have the value.
        if (value->is_object()) {
            const auto& members = value->get_ref<const Members&>();
            if (found.rank >= members.size()) return pointer;
            const auto member = std::next(members.begin(), found.rank);
            pointer += '/';
            pointer += escapePointerToken(member->first);
            value = &member->second;
        } else if (value->is_array() && ordinal < value->size()) {
            pointer += '/';
            pointer += std::to_string(ordinal);
            value = &(*value)[ordinal];
        } else {
            return pointer;
        }
        // What a later member of the same name replaced is no longer in the
        // document: its name is as far as a pointer goes.
        if (found.shadowed()) return pointer;
        node = inner;
    }
}

}  // namespace OrvexConfigValidate
