// A JSON text read once: the text, the place of every value, and a
// read-only view of its values. Every check, rule, fix, report and review
// reads a document through its view, so a text is never turned into a
// second tree; a nlohmann value is built only on request (toJson()).
//
// A view (JsonView) is a small handle, copied by value; it points into the
// document, which must outlive it and stay unchanged. A default-constructed
// view is absent (no value): what member() gives for a missing member.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Text.hpp>

// A view also reads a nlohmann value (validate() of one, and the schemas'
// own values): those few lines are kept in the caller even where the
// compiler's budget for a large function has run out, and a document's
// nodes are read out of line (measured no slower for a text's check).
#if defined(__GNUC__) || defined(__clang__)
#define ORVEX_VIEW_INLINE inline __attribute__((always_inline))
#define ORVEX_VIEW_LEAN(test) __builtin_expect(static_cast<bool>(test), 0)
#else
#define ORVEX_VIEW_INLINE inline
#define ORVEX_VIEW_LEAN(test) (test)
#endif

namespace OrvexConfigValidate {

class LeanDocument;

// Numbers are told apart as nlohmann holds them: Unsigned for a
// non-negative integer that fits 64 bits, Integer for a negative one that
// fits, Float for any other.
enum class JsonKind : std::uint8_t {
    Null,
    Boolean,
    Integer,
    Unsigned,
    Float,
    String,
    Array,
    Object
};

class JsonView {
  public:
    // Absent.
    JsonView() noexcept = default;
    // A nlohmann value (implicit, so that documents convert where a view is
    // taken).
    JsonView(const nlohmann::json& value) noexcept : target_(&value) {}  // NOLINT
    // Node `node` of a lean document.
    JsonView(const LeanDocument& document, std::uint32_t node) noexcept
        : target_(&document), node_(node) {}

    ORVEX_VIEW_INLINE bool exists() const noexcept { return target_ != nullptr; }
    explicit operator bool() const noexcept { return exists(); }

    // The kind of a present value (Null for an absent one).
    ORVEX_VIEW_INLINE JsonKind kind() const noexcept {
        if (ORVEX_VIEW_LEAN(lean())) return leanKind();
        return target_ == nullptr ? JsonKind::Null : kindOf(held());
    }
    ORVEX_VIEW_INLINE bool isNull() const noexcept { return exists() && kind() == JsonKind::Null; }
    ORVEX_VIEW_INLINE bool isBoolean() const noexcept { return kind() == JsonKind::Boolean; }
    ORVEX_VIEW_INLINE bool isNumber() const noexcept {
        const JsonKind k = kind();
        return k == JsonKind::Integer || k == JsonKind::Unsigned || k == JsonKind::Float;
    }
    // Held as an integer (Integer or Unsigned); 2.0 is a Float.
    ORVEX_VIEW_INLINE bool isIntegral() const noexcept {
        const JsonKind k = kind();
        return k == JsonKind::Integer || k == JsonKind::Unsigned;
    }
    ORVEX_VIEW_INLINE bool isUnsigned() const noexcept { return kind() == JsonKind::Unsigned; }
    ORVEX_VIEW_INLINE bool isFloat() const noexcept { return kind() == JsonKind::Float; }
    ORVEX_VIEW_INLINE bool isString() const noexcept { return kind() == JsonKind::String; }
    ORVEX_VIEW_INLINE bool isArray() const noexcept { return kind() == JsonKind::Array; }
    ORVEX_VIEW_INLINE bool isObject() const noexcept { return kind() == JsonKind::Object; }
    // Arrays and objects.
    ORVEX_VIEW_INLINE bool isStructured() const noexcept { return isArray() || isObject(); }

    // Each accessor requires its kind: boolean() a Boolean, integer() and
    // unsignedInteger() an integral number (converted as static_cast does),
    // number() any number (as the nearest double), string() a String.
    ORVEX_VIEW_INLINE bool boolean() const noexcept {
        if (ORVEX_VIEW_LEAN(lean())) return leanBoolean();
        const bool* value = held().get_ptr<const bool*>();
        return value != nullptr && *value;
    }
    ORVEX_VIEW_INLINE std::int64_t integer() const noexcept {
        if (ORVEX_VIEW_LEAN(lean())) return leanInteger();
        return heldNumber<std::int64_t>();
    }
    ORVEX_VIEW_INLINE std::uint64_t unsignedInteger() const noexcept {
        if (ORVEX_VIEW_LEAN(lean())) return static_cast<std::uint64_t>(leanInteger());
        return heldNumber<std::uint64_t>();
    }
    ORVEX_VIEW_INLINE double number() const noexcept {
        return ORVEX_VIEW_LEAN(lean()) ? leanNumber() : heldNumber<double>();
    }
    // Unescaped; stays valid as long as the document.
    ORVEX_VIEW_INLINE std::string_view string() const noexcept {
        if (ORVEX_VIEW_LEAN(lean())) return leanString();
        return *held().get_ptr<const std::string*>();
    }
    // The number as written in the text, when the view knows it and its
    // double does not hold it exactly; empty otherwise (always for nlohmann
    // values).
    std::string_view numberText() const noexcept { return lean() ? leanNumberText() : ""; }

    // Elements of an array, members of an object (a repeated name once),
    // 0 for anything else.
    ORVEX_VIEW_INLINE std::size_t size() const noexcept {
        if (ORVEX_VIEW_LEAN(lean())) return leanSize();
        if (target_ == nullptr) return 0;
        if (const auto* object = held().get_ptr<const nlohmann::json::object_t*>())
            return object->size();
        if (const auto* array = held().get_ptr<const nlohmann::json::array_t*>())
            return array->size();
        return 0;
    }

    // The member `name` of an object; absent when this is not an object or
    // has no such member.
    JsonView member(std::string_view name) const noexcept;
    // Element i of an array; absent when this is not an array or i is past
    // its end.
    JsonView element(std::size_t i) const noexcept;

    class Member;
    class MemberIterator;
    class ElementIterator;
    template <typename Iterator>
    struct Range {
        Iterator first;
        Iterator last;
        Iterator begin() const noexcept { return first; }
        Iterator end() const noexcept { return last; }
    };
    // The members of an object (none for anything else), sorted by the bytes
    // of their names; a repeated name once, with its last value.
    Range<MemberIterator> members() const noexcept;
    // The elements of an array (none for anything else), in order.
    Range<ElementIterator> elements() const noexcept;

    // The values at and under this one (1 for a scalar, a repeated member
    // once; 0 for an absent view): a lean document counts them in its index,
    // a nlohmann value is walked.
    std::uint64_t valueCount() const;

    // The nlohmann value behind the view; null for a lean or absent view.
    ORVEX_VIEW_INLINE const nlohmann::json* json() const noexcept {
        return lean() ? nullptr : static_cast<const nlohmann::json*>(target_);
    }
    // A copy of the value (null for an absent view), built without recursion
    // so that any depth is safe.
    nlohmann::json toJson() const;

    // The same value of the same document.
    friend bool operator==(const JsonView& a, const JsonView& b) noexcept {
        return a.target_ == b.target_ && a.node_ == b.node_;
    }
    friend bool operator!=(const JsonView& a, const JsonView& b) noexcept { return !(a == b); }

    // A table over nlohmann's type order (null, object, array, string,
    // boolean, integer, unsigned, float, binary, discarded), padded to 16 so
    // that a mask bounds it: no branch on the hot path of every check.
    static ORVEX_VIEW_INLINE JsonKind kindOf(const nlohmann::json& value) noexcept {
        static constexpr JsonKind kKinds[16] = {
            JsonKind::Null,    JsonKind::Object,  JsonKind::Array,    JsonKind::String,
            JsonKind::Boolean, JsonKind::Integer, JsonKind::Unsigned, JsonKind::Float};
        return kKinds[static_cast<std::uint8_t>(value.type()) & 15U];
    }

  private:
    // node_ of a nlohmann view; a lean view names a node below it.
    static constexpr std::uint32_t kNlohmann = 0xFFFFFFFFu;

    ORVEX_VIEW_INLINE bool lean() const noexcept { return node_ != kNlohmann; }
    // The nlohmann value of a present nlohmann view.
    ORVEX_VIEW_INLINE const nlohmann::json& held() const noexcept {
        return *static_cast<const nlohmann::json*>(target_);
    }
    // A nlohmann number converted as static_cast does, without nlohmann's
    // out-of-line conversion, which may throw; 0 for a value of another kind.
    template <typename Arithmetic>
    ORVEX_VIEW_INLINE Arithmetic heldNumber() const noexcept {
        if (const auto* u = held().get_ptr<const nlohmann::json::number_unsigned_t*>())
            return static_cast<Arithmetic>(*u);
        if (const auto* i = held().get_ptr<const nlohmann::json::number_integer_t*>())
            return static_cast<Arithmetic>(*i);
        if (const auto* f = held().get_ptr<const nlohmann::json::number_float_t*>())
            return static_cast<Arithmetic>(*f);
        return Arithmetic{};
    }
    const LeanDocument& document() const noexcept {
        return *static_cast<const LeanDocument*>(target_);
    }

    // The lean half, out of line: the lean document answers for its nodes.
    JsonKind leanKind() const noexcept;
    bool leanBoolean() const noexcept;
    std::int64_t leanInteger() const noexcept;
    double leanNumber() const noexcept;
    std::string_view leanString() const noexcept;
    std::string_view leanNumberText() const noexcept;
    std::size_t leanSize() const noexcept;
    JsonView leanMember(std::string_view name) const noexcept;
    JsonView leanElement(std::size_t i) const noexcept;
    // An iterator holds the node of its member or element (kLeanEnd past
    // the last), so that a step or a look does not search for it again.
    static constexpr std::uint32_t kLeanEnd = 0xFFFFFFFFu;
    struct LeanEnd {};  // picks the constructor of an iterator past the last
    // The node of member `rank` in the order members() gives, of element i.
    std::uint32_t leanMemberNode(std::size_t rank) const noexcept;
    std::uint32_t leanElementNode(std::size_t i) const noexcept;
    // The member or element after the child `node` of this container.
    std::uint32_t leanNextMember(std::uint32_t node) const noexcept;
    std::uint32_t leanNextElement(std::uint32_t node) const noexcept;
    // The member or element at the child `node`.
    Member leanMemberOf(std::uint32_t node) const noexcept;
    JsonView leanChild(std::uint32_t node) const noexcept;

    const void* target_ = nullptr;  // the nlohmann value, or the lean document
    std::uint32_t node_ = kNlohmann;
};

// A member of an object: its name and its value.
class JsonView::Member {
  public:
    Member(std::string_view name, const JsonView& value) noexcept : name_(name), value_(value) {}
    std::string_view name() const noexcept { return name_; }
    JsonView value() const noexcept { return value_; }

  private:
    std::string_view name_;
    JsonView value_;
};

// Walks a nlohmann object's map, or a lean object by rank: one word holds
// the map's position or the lean object's node and its member's node, the
// other the lean document (null for a map), so that the evaluator's frames
// stay small.
class JsonView::MemberIterator {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Member;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Member;

    MemberIterator() noexcept : at_() {}
    MemberIterator(nlohmann::json::object_t::const_iterator at) noexcept : at_(at) {}  // NOLINT
    MemberIterator(const JsonView& object, std::size_t rank) noexcept
        : lean_{object.node_, object.leanMemberNode(rank)}, document_(&object.document()) {}

    ORVEX_VIEW_INLINE Member operator*() const noexcept {
        if (ORVEX_VIEW_LEAN(document_ != nullptr))
            return JsonView(*document_, lean_.object).leanMemberOf(lean_.member);
        return Member(at_->first, at_->second);
    }
    ORVEX_VIEW_INLINE MemberIterator& operator++() noexcept {
        if (ORVEX_VIEW_LEAN(document_ != nullptr)) {
            lean_.member = JsonView(*document_, lean_.object).leanNextMember(lean_.member);
        } else {
            ++at_;
        }
        return *this;
    }
    MemberIterator operator++(int) noexcept {
        MemberIterator before = *this;
        ++*this;
        return before;
    }
    ORVEX_VIEW_INLINE friend bool operator==(const MemberIterator& a,
                                             const MemberIterator& b) noexcept {
        return ORVEX_VIEW_LEAN(a.document_ != nullptr) ? a.lean_.member == b.lean_.member
                                                       : a.at_ == b.at_;
    }
    ORVEX_VIEW_INLINE friend bool operator!=(const MemberIterator& a,
                                             const MemberIterator& b) noexcept {
        return !(a == b);
    }

  private:
    friend class JsonView;
    // Past the last member of a lean object.
    MemberIterator(const JsonView& object, LeanEnd /*end*/) noexcept
        : lean_{object.node_, kLeanEnd}, document_(&object.document()) {}

    struct LeanAt {
        std::uint32_t object;
        std::uint32_t member;  // kLeanEnd past the last
    };
    union {
        nlohmann::json::object_t::const_iterator at_;  // while document_ is null
        LeanAt lean_;
    };
    const LeanDocument* document_ = nullptr;
};

// A map position or a lean one (two 32-bit node numbers: one word on a
// 64-bit target, two on a 32-bit one such as wasm32), and the document.
constexpr std::size_t kLeanPositionSize = 2 * sizeof(std::uint32_t);
static_assert(sizeof(JsonView::MemberIterator) <=
                  sizeof(void*) +
                      (sizeof(void*) > kLeanPositionSize ? sizeof(void*) : kLeanPositionSize),
              "a member iterator is held in every frame of the schema stage");

// Walks a nlohmann array's elements in place, or a lean array by index.
class JsonView::ElementIterator {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = JsonView;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = JsonView;

    ElementIterator() noexcept = default;
    explicit ElementIterator(const nlohmann::json* at) noexcept : at_(at) {}
    ElementIterator(const JsonView& array, std::size_t index) noexcept
        : array_(array), element_(array.leanElementNode(index)) {}

    ORVEX_VIEW_INLINE JsonView operator*() const noexcept {
        return ORVEX_VIEW_LEAN(array_.exists()) ? array_.leanChild(element_) : JsonView(*at_);
    }
    ORVEX_VIEW_INLINE ElementIterator& operator++() noexcept {
        if (ORVEX_VIEW_LEAN(array_.exists())) {
            element_ = array_.leanNextElement(element_);
        } else {
            ++at_;
        }
        return *this;
    }
    ElementIterator operator++(int) noexcept {
        ElementIterator before = *this;
        ++*this;
        return before;
    }
    ORVEX_VIEW_INLINE friend bool operator==(const ElementIterator& a,
                                             const ElementIterator& b) noexcept {
        return a.at_ == b.at_ && a.element_ == b.element_;
    }
    ORVEX_VIEW_INLINE friend bool operator!=(const ElementIterator& a,
                                             const ElementIterator& b) noexcept {
        return !(a == b);
    }

  private:
    friend class JsonView;
    // Past the last element of a lean array.
    ElementIterator(const JsonView& array, LeanEnd /*end*/) noexcept
        : array_(array), element_(kLeanEnd) {}

    const nlohmann::json* at_ = nullptr;  // null while walking a lean array
    JsonView array_;                      // a lean array; absent for nlohmann
    std::uint32_t element_ = 0;           // its element's node, kLeanEnd past the last
};

ORVEX_VIEW_INLINE JsonView JsonView::member(std::string_view name) const noexcept {
    if (ORVEX_VIEW_LEAN(lean())) return leanMember(name);
    if (target_ == nullptr) return {};
    const auto* object = held().get_ptr<const nlohmann::json::object_t*>();
    if (object == nullptr) return {};
    // nlohmann orders members with std::less<>: found without a copy.
    const auto found = object->find(name);
    return found == object->end() ? JsonView() : JsonView(found->second);
}

ORVEX_VIEW_INLINE JsonView JsonView::element(std::size_t i) const noexcept {
    if (ORVEX_VIEW_LEAN(lean())) return leanElement(i);
    if (target_ == nullptr) return {};
    const auto* array = held().get_ptr<const nlohmann::json::array_t*>();
    if (array == nullptr || i >= array->size()) return {};
    return JsonView((*array)[i]);
}

ORVEX_VIEW_INLINE JsonView::Range<JsonView::MemberIterator> JsonView::members() const noexcept {
    if (ORVEX_VIEW_LEAN(lean()))
        return {MemberIterator(*this, 0), MemberIterator(*this, LeanEnd())};
    const auto* object =
        target_ == nullptr ? nullptr : held().get_ptr<const nlohmann::json::object_t*>();
    if (object == nullptr) return {};
    return {MemberIterator(object->begin()), MemberIterator(object->end())};
}

ORVEX_VIEW_INLINE JsonView::Range<JsonView::ElementIterator> JsonView::elements() const noexcept {
    if (ORVEX_VIEW_LEAN(lean()))
        return {ElementIterator(*this, 0), ElementIterator(*this, LeanEnd())};
    const auto* array =
        target_ == nullptr ? nullptr : held().get_ptr<const nlohmann::json::array_t*>();
    if (array == nullptr || array->empty()) return {};
    const nlohmann::json* first = array->data();
    return {ElementIterator(first), ElementIterator(first + array->size())};
}

struct Issue;  // Validation.hpp

// A JSON text read once, and all that was learnt reading it. It keeps its
// text (its own copy, or the bytes of a buffer whose keeper it holds) and
// never changes after it is made; it moves, and is shared as
// shared_ptr<const Document> where several owners need it.
class Document {
  public:
    // An empty document: not ok, no value.
    Document();
    ~Document();
    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // False when the text is not one JSON value (a "parse_error" issue).
    bool ok() const;
    // The value read (absent when the text did not parse); views stay valid
    // as long as the document.
    JsonView root() const;
    // The text read, as it was given.
    std::string_view text() const;
    // A nlohmann copy of the value (null when the text did not parse),
    // built on each call.
    nlohmann::json toJson() const;
    // "parse_error" (at most one) and "duplicate_key" warnings.
    const std::vector<Issue>& issues() const;
    // The place of the value a pointer names; for an absent member or
    // element, the place of the nearest enclosing value that exists.
    TextLocation locate(std::string_view pointer) const;
    // The places of many pointers, in their order: each container passed is
    // looked at once, where a locate() per pointer walks siblings anew.
    std::vector<TextLocation> locateAll(const std::vector<std::string>& pointers) const;
    // The pointer of the innermost value whose text holds the byte offset
    // (an object key counts as its member's value).
    std::string pointerAt(std::size_t offset) const;
    // The line and column of a byte offset.
    TextLocation position(std::size_t offset) const;

  private:
    friend struct ParsedTextAccess;
    struct Impl;
    std::unique_ptr<Impl> impl;
};

// The name the document had when there were two kinds of it.
using ParsedText = Document;

// Reads exactly the bytes of the text, keeping a copy of them: anything
// after the value (a NUL byte included) is a parse error. A UTF-8
// byte-order mark is skipped and not counted in columns. Never throws for a
// bad text; texts of 2 GiB and more are refused with a parse error.
Document parseText(std::string_view text);
// The same over bytes that `keeper` holds unchanged for as long as the
// document lives (a mapped file, a shared string): no copy is made.
Document parseText(std::string_view text, std::shared_ptr<const void> keeper);

}  // namespace OrvexConfigValidate

#undef ORVEX_VIEW_INLINE
#undef ORVEX_VIEW_LEAN
