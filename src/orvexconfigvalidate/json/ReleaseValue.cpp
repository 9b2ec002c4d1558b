#include "json/ReleaseValue.hpp"

#include <array>
#include <cstddef>
#include <iterator>

namespace OrvexConfigValidate {

namespace {

using Json = nlohmann::json;

// Levels walked without the heap; real configurations are a few deep.
constexpr std::size_t kLevels = 256;

bool hasChildren(const Json& value) noexcept {
    return (value.is_array() || value.is_object()) && !value.empty();
}

// The last child of a non-empty container.
Json& lastChild(Json& container) noexcept {
    if (auto* elements = container.get_ptr<Json::array_t*>()) return elements->back();
    return std::prev(container.get_ptr<Json::object_t*>()->end())->second;
}

// Removes the last child, which has no children of its own: freeing it
// allocates nothing.
void dropLastChild(Json& container) noexcept {
    if (auto* elements = container.get_ptr<Json::array_t*>()) {
        elements->pop_back();
        return;
    }
    auto* members = container.get_ptr<Json::object_t*>();
    members->erase(std::prev(members->end()));
}

}  // namespace

void releaseValue(Json& value) noexcept {
    if (!hasChildren(value)) {
        value = nullptr;
        return;
    }
    std::array<Json*, kLevels> stack{};
    std::size_t depth = 0;
    stack[depth++] = &value;
    while (depth != 0) {
        Json& container = *stack[depth - 1];
        if (container.empty()) {
            --depth;
            if (depth != 0) dropLastChild(*stack[depth - 1]);
            continue;
        }
        Json& child = lastChild(container);
        if (hasChildren(child) && depth < kLevels) {
            stack[depth++] = &child;
            continue;
        }
        // A leaf, or a subtree past the fixed levels: nlohmann frees it.
        dropLastChild(container);
    }
    value = nullptr;
}

}  // namespace OrvexConfigValidate
