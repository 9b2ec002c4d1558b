#include <orvexconfigvalidate/JsonView.hpp>

#include <cstdlib>
#include <string>
#include <vector>

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

// The lean half: a lean document answers for its nodes. Until one is built
// no view of one can be made (the type is only declared), so these are
// never reached.
JsonKind JsonView::leanKind() const noexcept {
    std::abort();
}
bool JsonView::leanBoolean() const noexcept {
    std::abort();
}
std::int64_t JsonView::leanInteger() const noexcept {
    std::abort();
}
double JsonView::leanNumber() const noexcept {
    std::abort();
}
std::string_view JsonView::leanString() const noexcept {
    std::abort();
}
std::string_view JsonView::leanNumberText() const noexcept {
    std::abort();
}
std::size_t JsonView::leanSize() const noexcept {
    std::abort();
}
JsonView JsonView::leanMember(std::string_view) const noexcept {
    std::abort();
}
JsonView JsonView::leanElement(std::size_t) const noexcept {
    std::abort();
}
JsonView::Member JsonView::leanMemberAt(std::size_t) const noexcept {
    std::abort();
}

}  // namespace OrvexConfigValidate
