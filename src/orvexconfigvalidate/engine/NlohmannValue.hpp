// The part of JsonView's reading interface that the schema evaluator uses,
// over a present nlohmann value alone. The evaluator is a template over
// what it reads: a parsed document is told from a lean one once, at its
// root, so the values of a parsed document are read without a lean or an
// absent test on every access, and its frames hold one pointer per value.
#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/JsonView.hpp>

namespace OrvexConfigValidate {

class NlohmannValue {
  public:
    NlohmannValue() noexcept = default;
    NlohmannValue(const nlohmann::json& value) noexcept : value_(&value) {}  // NOLINT
    // Where a helper takes any view.
    operator JsonView() const noexcept { return JsonView(*value_); }  // NOLINT

    JsonKind kind() const noexcept { return JsonView::kindOf(*value_); }
    const nlohmann::json* json() const noexcept { return value_; }
    // Requires a String.
    std::string_view string() const noexcept { return *value_->get_ptr<const std::string*>(); }
    // Elements of an array, members of an object, 0 for anything else.
    std::size_t size() const noexcept {
        if (const auto* object = value_->get_ptr<const nlohmann::json::object_t*>())
            return object->size();
        if (const auto* array = value_->get_ptr<const nlohmann::json::array_t*>())
            return array->size();
        return 0;
    }
    // Whether this is an object with a member `name`.
    bool hasMember(std::string_view name) const noexcept {
        const auto* object = value_->get_ptr<const nlohmann::json::object_t*>();
        return object != nullptr && object->find(name) != object->end();
    }
    // Requires an Array and i below its size.
    NlohmannValue element(std::size_t i) const noexcept {
        return NlohmannValue((*value_->get_ptr<const nlohmann::json::array_t*>())[i]);
    }

    class Member {
      public:
        explicit Member(const nlohmann::json::object_t::value_type& entry) noexcept
            : entry_(&entry) {}
        const std::string& name() const noexcept { return entry_->first; }
        NlohmannValue value() const noexcept { return NlohmannValue(entry_->second); }

      private:
        const nlohmann::json::object_t::value_type* entry_;
    };

    class MemberIterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Member;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Member;

        MemberIterator() noexcept = default;
        explicit MemberIterator(nlohmann::json::object_t::const_iterator at) noexcept : at_(at) {}
        Member operator*() const noexcept { return Member(*at_); }
        MemberIterator& operator++() noexcept {
            ++at_;
            return *this;
        }
        friend bool operator==(const MemberIterator& a, const MemberIterator& b) noexcept {
            return a.at_ == b.at_;
        }
        friend bool operator!=(const MemberIterator& a, const MemberIterator& b) noexcept {
            return a.at_ != b.at_;
        }

      private:
        nlohmann::json::object_t::const_iterator at_;
    };

    // Requires an Object.
    JsonView::Range<MemberIterator> members() const noexcept {
        const auto& object = *value_->get_ptr<const nlohmann::json::object_t*>();
        return {MemberIterator(object.begin()), MemberIterator(object.end())};
    }

  private:
    const nlohmann::json* value_ = nullptr;
};

}  // namespace OrvexConfigValidate
