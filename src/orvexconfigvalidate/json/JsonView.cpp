#include <orvexconfigvalidate/Document.hpp>

#include <string>
#include <vector>

#include "json/LeanDocument.hpp"

namespace OrvexConfigValidate {
namespace {

using Json = nlohmann::json;

// A leaf's copy; containers are filled by toJson's own walk.
Json shallowCopy(const JsonView& value) {
    switch (value.kind()) {
        case JsonKind::Boolean:
            return value.boolean();
        case JsonKind::Integer:
            return value.integer();
        case JsonKind::Unsigned:
            return value.unsignedInteger();
        case JsonKind::Float:
            return value.number();
        case JsonKind::String:
            return std::string(value.string());
        case JsonKind::Array:
            return Json::array();
        case JsonKind::Object:
            return Json::object();
        default:
            return nullptr;
    }
}

// A container being copied: its next child is taken from one of the two
// iterators, as the source is an object or an array.
struct Copying {
    Json* target;
    JsonView::MemberIterator member;
    JsonView::MemberIterator memberEnd;
    JsonView::ElementIterator element;
    JsonView::ElementIterator elementEnd;
};

Copying copyingOf(const JsonView& source, Json& target) {
    const auto members = source.members();
    const auto elements = source.elements();
    if (target.is_array()) target.get_ref<Json::array_t&>().reserve(source.size());
    return {&target, members.begin(), members.end(), elements.begin(), elements.end()};
}

// Places the copy of the next child of `top`, or null when it has none left.
Json* copyNextChild(Copying& top) {
    if (top.member != top.memberEnd) {
        const JsonView::Member member = *top.member++;
        return &((*top.target)[std::string(member.name())] = shallowCopy(member.value()));
    }
    if (top.element != top.elementEnd) {
        auto& array = top.target->get_ref<Json::array_t&>();
        array.push_back(shallowCopy(*top.element++));
        return &array.back();
    }
    return nullptr;
}

}  // namespace

Json JsonView::toJson() const {
    if (!exists()) return nullptr;
    Json copy = shallowCopy(*this);
    if (!copy.is_structured()) return copy;
    // A child's copy is complete before its parent takes the next one, so
    // the parent's elements may move as it grows.
    std::vector<Copying> stack;
    stack.push_back(copyingOf(*this, copy));
    while (!stack.empty()) {
        Copying& top = stack.back();
        const JsonView source = top.member != top.memberEnd
                                    ? (*top.member).value()
                                    : (top.element != top.elementEnd ? *top.element : JsonView());
        Json* child = copyNextChild(top);
        if (child == nullptr) {
            stack.pop_back();
            continue;
        }
        if (child->is_structured()) stack.push_back(copyingOf(source, *child));
    }
    return copy;
}

std::uint64_t JsonView::valueCount() const {
    if (!exists()) return 0;
    if (lean()) return document().valueCount(node_);
    std::uint64_t count = 0;
    std::vector<const Json*> pending{&held()};
    while (!pending.empty()) {
        const Json* value = pending.back();
        pending.pop_back();
        ++count;
        if (value->is_structured()) {
            for (const Json& child : *value) pending.push_back(&child);
        }
    }
    return count;
}

// The lean half: the lean document answers for its nodes.
JsonKind JsonView::leanKind() const noexcept {
    return document().kind(node_);
}
bool JsonView::leanBoolean() const noexcept {
    return document().boolean(node_);
}
std::int64_t JsonView::leanInteger() const noexcept {
    return document().integer(node_);
}
double JsonView::leanNumber() const noexcept {
    return document().number(node_);
}
std::string_view JsonView::leanString() const noexcept {
    return document().string(node_);
}
std::string_view JsonView::leanNumberText() const noexcept {
    return document().inexactNumberText(node_);
}
std::size_t JsonView::leanSize() const noexcept {
    return document().size(node_);
}
JsonView JsonView::leanMember(std::string_view name) const noexcept {
    const std::uint32_t node = document().member(node_, name);
    return node == LeanDocument::kNoNode ? JsonView() : document().view(node);
}
JsonView JsonView::leanElement(std::size_t i) const noexcept {
    const std::uint32_t node = document().element(node_, i);
    return node == LeanDocument::kNoNode ? JsonView() : document().view(node);
}
std::uint32_t JsonView::leanMemberNode(std::size_t rank) const noexcept {
    static_assert(kLeanEnd == LeanDocument::kNoNode, "an iterator's end is no node");
    return document().memberAt(node_, rank);
}
std::uint32_t JsonView::leanElementNode(std::size_t i) const noexcept {
    return document().element(node_, i);
}
std::uint32_t JsonView::leanNextMember(std::uint32_t node) const noexcept {
    return document().nextMember(node_, node);
}
std::uint32_t JsonView::leanNextElement(std::uint32_t node) const noexcept {
    return document().nextElement(node_, node);
}
JsonView::Member JsonView::leanMemberOf(std::uint32_t node) const noexcept {
    return Member(document().memberName(node), document().view(node));
}
JsonView JsonView::leanChild(std::uint32_t node) const noexcept {
    return document().view(node);
}

}  // namespace OrvexConfigValidate
