#include "json/WrittenNumbers.hpp"

#include <utility>

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

thread_local const WrittenNumbersInUse* current = nullptr;

// Whether each node lies in a value the document no longer holds: one
// under a member that a later member of the same name replaced. Nodes are
// in pre-order, so an open ancestor is one whose end lies past the start.
class ReplacedValues {
  public:
    explicit ReplacedValues(const TextIndex& textIndex) : index(textIndex) {}

    // Nodes must be asked in increasing order.
    bool replaced(std::uint32_t node) {
        for (; next <= node; ++next) {
            const TextNode& at = index.nodes[next];
            while (!open.empty() && open.back().end <= at.start) open.pop_back();
            const bool gone = at.shadowed() || (!open.empty() && open.back().gone);
            open.push_back({at.end, gone});
        }
        return open.back().gone;
    }

  private:
    struct Open {
        std::uint32_t end;
        bool gone;
    };
    const TextIndex& index;
    std::uint32_t next = 0;
    std::vector<Open> open;
};

}  // namespace

bool differsFromHeld(std::string_view token, const json& held, Decimal& written) {
    Decimal value;
    if (!parseDecimal(token, written) || !decimalOf(held, value)) return false;
    return compareDecimals(written, value) != 0;
}

const WrittenNumber* WrittenNumbers::find(const json* holder) const {
    const auto found = entries.find(holder);
    return found == entries.end() ? nullptr : &found->second;
}

void WrittenNumberLog::note(std::string_view token, const json& target, const json::array_t* array,
                            std::uint32_t node) {
    Decimal written;
    if (!differsFromHeld(token, target, written)) return;
    const std::size_t element = array != nullptr ? array->size() - 1 : 0;
    entries.push_back(
        {array != nullptr ? nullptr : &target, array, element, node,
         WrittenNumber{target.get<double>(), std::string(token), std::move(written)}});
}

void WrittenNumberLog::finish(const TextIndex& index, WrittenNumbers& out) {
    ReplacedValues values(index);
    // Entries were noted in text order, so their nodes increase.
    for (Entry& entry : entries) {
        if (values.replaced(entry.node)) continue;
        const json* holder =
            entry.holder != nullptr ? entry.holder : &(*entry.array)[entry.element];
        out.entries.insert_or_assign(holder, std::move(entry.number));
    }
    entries.clear();
}

WrittenNumbersInUse::WrittenNumbersInUse(const WrittenNumbers& written, const json& asParsed,
                                         const json& asValidated)
    : numbers(written), parsedRoot(&asParsed), root(&asValidated), outer(current) {
    current = this;
}

WrittenNumbersInUse::~WrittenNumbersInUse() {
    current = outer;
}

const WrittenNumber* WrittenNumbersInUse::lookUp(const json& value) {
    if (current == nullptr || !value.is_number_float()) return nullptr;
    for (const WrittenNumbersInUse* scope = current; scope != nullptr; scope = scope->outer) {
        if (scope->numbers.empty()) continue;
        const json* holder = &value == scope->root ? scope->parsedRoot : &value;
        const WrittenNumber* found = scope->numbers.find(holder);
        // A value changed since the text was read holds another double.
        if (found != nullptr && found->held == value.get<double>()) return found;
    }
    return nullptr;
}

}  // namespace OrvexConfigValidate
