#include "text/Locator.hpp"

#include "text/PointerText.hpp"

namespace OrvexConfigValidate {

const std::vector<std::uint32_t>& Locator::childrenOf(std::uint32_t container) {
    auto [it, added] = children_.try_emplace(container);
    if (added) {
        const std::uint32_t end = container + index_.nodes[container].size;
        for (std::uint32_t child = container + 1; child < end; child += index_.nodes[child].size) {
            it->second.push_back(child);
        }
    }
    return it->second;
}

std::uint32_t Locator::elementNode(std::uint32_t container, std::size_t position) {
    if (remember_) {
        const auto& children = childrenOf(container);
        return position < children.size() ? children[position] : kNone;
    }
    const std::uint32_t end = container + index_.nodes[container].size;
    std::uint32_t child = container + 1;
    for (std::size_t k = 0; k < position && child < end; ++k) child += index_.nodes[child].size;
    return child < end ? child : kNone;
}

std::uint32_t Locator::memberNode(std::uint32_t container, const JsonMember* member) {
    if (remember_) {
        auto [it, added] = members_.try_emplace(container);
        if (added) {
            for (const std::uint32_t child : childrenOf(container)) {
                if (!index_.nodes[child].shadowed()) it->second[index_.nodes[child].member] = child;
            }
        }
        const auto found = it->second.find(member);
        return found == it->second.end() ? kNone : found->second;
    }
    const std::uint32_t end = container + index_.nodes[container].size;
    for (std::uint32_t child = container + 1; child < end; child += index_.nodes[child].size) {
        const TextNode& node = index_.nodes[child];
        if (node.member == member && !node.shadowed()) return child;
    }
    return kNone;
}

TextLocation Locator::locate(std::string_view pointer) {
    if (index_.nodes.empty()) return {};
    const auto tokens = splitPointer(pointer);
    std::uint32_t node = 0;
    const nlohmann::json* value = &document_;
    if (!tokens) return index_.of(index_.nodes[node]);
    for (const std::string& token : *tokens) {
        std::uint32_t next = kNone;
        const nlohmann::json* nextValue = nullptr;
        if (value->is_object()) {
            const auto& members = value->get_ref<const nlohmann::json::object_t&>();
            const auto it = members.find(token);
            if (it != members.end()) {
                next = memberNode(node, &*it);
                nextValue = &it->second;
            }
        } else if (value->is_array()) {
            const auto position = arrayIndexOf(token);
            if (position && *position < value->size()) {
                next = elementNode(node, *position);
                nextValue = &(*value)[*position];
            }
        }
        if (next == kNone) break;
        node = next;
        value = nextValue;
    }
    return index_.of(index_.nodes[node]);
}

std::string Locator::pointerAt(std::size_t offset) const {
    std::string pointer;
    if (index_.nodes.empty()) return pointer;
    std::uint32_t node = 0;
    for (;;) {
        const std::uint32_t end = node + index_.nodes[node].size;
        std::uint32_t ordinal = 0;
        std::uint32_t inner = kNone;
        for (std::uint32_t child = node + 1; child < end;
             child += index_.nodes[child].size, ++ordinal) {
            const TextNode& candidate = index_.nodes[child];
            if (offset >= candidate.spanStart() && offset < candidate.end) {
                inner = child;
                break;
            }
        }
        if (inner == kNone) return pointer;
        const TextNode& found = index_.nodes[inner];
        pointer += '/';
        pointer += found.member != nullptr ? escapePointerToken(found.member->first)
                                           : std::to_string(ordinal);
        // What a later member of the same name replaced is no longer in the
        // document: its name is as far as a pointer goes.
        if (found.shadowed()) return pointer;
        node = inner;
    }
}

}  // namespace OrvexConfigValidate
