#include "engine/SchemaLimits.hpp"

#include <algorithm>
#include <utility>
#include <vector>

namespace OrvexConfigValidate {

std::size_t jsonNestingDepth(const nlohmann::json& value) {
    std::size_t deepest = 0;
    std::vector<std::pair<const nlohmann::json*, std::size_t>> stack{{&value, 0}};
    while (!stack.empty()) {
        const auto [current, depth] = stack.back();
        stack.pop_back();
        if (!current->is_structured()) continue;
        deepest = std::max(deepest, depth + 1);
        for (const nlohmann::json& child : *current) stack.emplace_back(&child, depth + 1);
    }
    return deepest;
}

}  // namespace OrvexConfigValidate
