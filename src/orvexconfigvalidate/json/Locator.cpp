#include "json/Locator.hpp"

#include "json/LeanDocument.hpp"
#include "json/PointerText.hpp"

namespace OrvexConfigValidate {

TextLocation Locator::locate(std::string_view pointer) const {
    if (document_ == nullptr || document_->index().nodes.empty()) return {};
    const TextIndex& index = document_->index();
    const auto tokens = splitPointer(pointer);
    std::uint32_t node = 0;
    if (!tokens) return index.of(index.nodes[node]);
    for (const std::string& token : *tokens) {
        std::uint32_t next = kNone;
        const JsonKind kind = document_->kind(node);
        if (kind == JsonKind::Object) {
            next = document_->member(node, token);
        } else if (kind == JsonKind::Array) {
            const auto position = arrayIndexOf(token);
            if (position) next = document_->element(node, *position);
        }
        if (next == kNone) break;
        node = next;
    }
    return index.of(index.nodes[node]);
}

std::uint32_t Locator::innerAt(std::uint32_t node, std::size_t offset,
                               std::uint32_t& ordinal) const {
    const TextIndex& index = document_->index();
    const std::uint32_t end = index.after(node);
    ordinal = 0;
    for (std::uint32_t child = node + 1; child < end; child = index.after(child), ++ordinal) {
        const TextNode& candidate = index.nodes[child];
        if (offset >= candidate.spanStart() && offset < candidate.end) return child;
    }
    return kNone;
}

std::string Locator::pointerAt(std::size_t offset) const {
    if (document_ == nullptr || document_->index().nodes.empty()) return {};
    std::string pointer;
    std::uint32_t node = 0;
    for (;;) {
        std::uint32_t ordinal = 0;
        const std::uint32_t inner = innerAt(node, offset, ordinal);
        if (inner == kNone) return pointer;
        pointer += '/';
        pointer += document_->kind(node) == JsonKind::Object
                       ? escapePointerToken(document_->memberName(inner))
                       : std::to_string(ordinal);
        // A replaced member's name is as far as a pointer goes.
        if (document_->index().nodes[inner].shadowed()) return pointer;
        node = inner;
    }
}

}  // namespace OrvexConfigValidate
