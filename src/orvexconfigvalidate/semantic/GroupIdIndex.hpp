// Group ids of one rule pass, each with the position of its first definition.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace OrvexConfigValidate {

// Keys are views of the document's own strings: the index must not outlive
// the document it was built from.
class GroupIdIndex {
  public:
    void reserve(std::size_t count) {
        firstIndex_.reserve(count);
        inOrder_.reserve(count);
    }

    // Enters `id` at `index` unless it is already known. Returns the index of
    // the earlier definition when there is one (the entry is then kept).
    std::optional<std::uint64_t> enterFirst(std::string_view id, std::uint64_t index) {
        const auto [it, entered] = firstIndex_.emplace(id, index);
        if (entered) {
            inOrder_.push_back(id);
            return std::nullopt;
        }
        return it->second;
    }

    bool contains(std::string_view id) const { return firstIndex_.count(id) != 0; }
    std::size_t size() const { return firstIndex_.size(); }
    // The distinct ids in the order of their first definition.
    const std::vector<std::string_view>& ids() const { return inOrder_; }

  private:
    std::unordered_map<std::string_view, std::uint64_t> firstIndex_;
    std::vector<std::string_view> inOrder_;
};

}  // namespace OrvexConfigValidate
