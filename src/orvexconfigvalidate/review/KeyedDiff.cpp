// "groups" and "bridges" matched by id: the server finds them by id, so
// their order says nothing, and a patch moves them instead.
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Pointer.hpp>

#include "model/MemberReaders.hpp"
#include "review/ValueDiff.hpp"

namespace OrvexConfigValidate {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Counts the elements still to be placed, by old position.
class Fenwick {
  public:
    explicit Fenwick(std::size_t size) : tree_(size + 1, 0) {}
    void add(std::size_t at, int delta) {
        for (std::size_t i = at + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += delta;
    }
    // The count before position `at`.
    long before(std::size_t at) const {
        long sum = 0;
        for (std::size_t i = at; i > 0; i -= i & (~i + 1)) sum += tree_[i];
        return sum;
    }

  private:
    std::vector<long> tree_;
};

// An element's key: its id when it is the first to carry it, else its
// position (elements without a usable id are matched by position).
std::vector<std::string> keysOf(const nlohmann::json& array) {
    std::vector<std::string> keys;
    std::unordered_map<std::string_view, bool> seen;
    for (std::size_t i = 0; i < array.size(); ++i) {
        const std::string_view id = array[i].is_object() ? readId(array[i]) : std::string_view();
        if (!id.empty() && seen.emplace(id, true).second) {
            keys.emplace_back(id);
        } else {
            keys.push_back(std::string("\x01#") + std::to_string(i));
        }
    }
    return keys;
}

// The element without its id, as text: a rename keeps the rest.
std::string withoutId(const nlohmann::json& element) {
    nlohmann::json copy = element;
    copy.erase("id");
    return copy.dump();
}

class ArrayMatch {
  public:
    ArrayMatch(const nlohmann::json& before, const nlohmann::json& after)
        : before_(before), after_(after), oldOf_(after.size(), kNone), renamed_(after.size()) {
        const std::vector<std::string> oldKeys = keysOf(before);
        const std::vector<std::string> newKeys = keysOf(after);
        std::unordered_map<std::string_view, std::size_t> oldIndex;
        for (std::size_t i = 0; i < oldKeys.size(); ++i) oldIndex.emplace(oldKeys[i], i);
        kept_.assign(before.size(), false);
        for (std::size_t j = 0; j < newKeys.size(); ++j) {
            const auto found = oldIndex.find(newKeys[j]);
            if (found == oldIndex.end()) continue;
            oldOf_[j] = found->second;
            kept_[found->second] = true;
        }
        matchRenames();
    }

    void write(const std::string& oldBase, const std::string& newBase, const DiffSink& sink) {
        for (std::size_t i = before_.size(); i-- > 0;) {
            if (kept_[i]) continue;
            report(sink, Change::Kind::Removed, oldBase, i, kNone);
            if (sink.patch != nullptr) {
                sink.patch->push_back({{"op", "remove"}, {"path", at(newBase, i)}});
            }
        }
        place(oldBase, newBase, sink);
    }

  private:
    static std::string at(const std::string& base, std::size_t index) {
        return base + "/" + std::to_string(index);
    }

    // Removed and added elements that differ only in their id.
    void matchRenames() {
        // Each text's removed elements, and how many of them were taken.
        std::unordered_map<std::string, std::pair<std::vector<std::size_t>, std::size_t>> removed;
        for (std::size_t i = 0; i < before_.size(); ++i) {
            if (!kept_[i] && !readId(before_[i]).empty()) {
                removed[withoutId(before_[i])].first.push_back(i);
            }
        }
        if (removed.empty()) return;
        for (std::size_t j = 0; j < after_.size(); ++j) {
            if (oldOf_[j] != kNone || readId(after_[j]).empty()) continue;
            const auto found = removed.find(withoutId(after_[j]));
            if (found == removed.end()) continue;
            auto& [candidates, taken] = found->second;
            if (taken == candidates.size()) continue;
            oldOf_[j] = candidates[taken++];
            kept_[oldOf_[j]] = true;
            renamed_[j] = true;
        }
    }

    void report(const DiffSink& sink, Change::Kind kind, const std::string& base,
                std::size_t oldIndex, std::size_t newIndex) const {
        if (sink.changes == nullptr) return;
        Change change;
        change.kind = kind;
        change.source = sink.source;
        change.element = sink.element;
        if (oldIndex != kNone) {
            change.oldPointer = at(base, oldIndex);
            change.oldValue = before_[oldIndex];
            change.id = std::string(readId(before_[oldIndex]));
        }
        if (newIndex != kNone) {
            change.newPointer = at(base, newIndex);
            change.newValue = after_[newIndex];
            change.oldId = change.id;
            change.id = std::string(readId(after_[newIndex]));
        }
        if (kind != Change::Kind::Renamed) change.oldId.clear();
        sink.changes->push_back(std::move(change));
    }

    // Walks the new order: every element is added, or moved from where the
    // old elements not yet placed leave it, then changed in place.
    void place(const std::string& oldBase, const std::string& newBase, const DiffSink& sink) {
        Fenwick unplaced(before_.size());
        for (std::size_t i = 0; i < before_.size(); ++i) {
            if (kept_[i]) unplaced.add(i, 1);
        }
        for (std::size_t j = 0; j < after_.size(); ++j) {
            const std::string target = at(newBase, j);
            const std::size_t old = oldOf_[j];
            if (old == kNone) {
                report(sink, Change::Kind::Added, newBase, kNone, j);
                if (sink.patch != nullptr) {
                    sink.patch->push_back({{"op", "add"}, {"path", target}, {"value", after_[j]}});
                }
                continue;
            }
            const std::size_t from = j + static_cast<std::size_t>(unplaced.before(old));
            unplaced.add(old, -1);
            if (from != j && sink.patch != nullptr) {
                sink.patch->push_back(
                    {{"op", "move"}, {"from", at(newBase, from)}, {"path", target}});
            }
            DiffSink inner = sink;
            inner.id = std::string(readId(after_[j]));
            if (renamed_[j]) {
                report(sink, Change::Kind::Renamed, oldBase, old, j);
                inner.changes = nullptr;
            }
            diffValues(before_[old], after_[j], at(oldBase, old), target, inner);
        }
    }

    const nlohmann::json& before_;
    const nlohmann::json& after_;
    std::vector<std::size_t> oldOf_;  // per new element: its old one, or kNone
    std::vector<bool> renamed_;
    std::vector<bool> kept_;  // per old element: matched by a new one
};

bool keyedHere(const std::string& key, const nlohmann::json& before, const nlohmann::json& after) {
    return (key == "groups" || key == "bridges") && before.is_array() && after.is_array();
}

}  // namespace

void diffBridgesDocument(const nlohmann::json& before, const nlohmann::json& after,
                         const DiffSink& sink) {
    if (!before.is_object() || !after.is_object()) {
        diffValues(before, after, "", "", sink);
        return;
    }
    nlohmann::json restBefore = nlohmann::json::object();
    nlohmann::json restAfter = nlohmann::json::object();
    for (auto member = before.begin(); member != before.end(); ++member) {
        const auto other = after.find(member.key());
        if (other == after.end() || !keyedHere(member.key(), member.value(), *other)) {
            restBefore[member.key()] = member.value();
        }
    }
    for (auto member = after.begin(); member != after.end(); ++member) {
        const auto other = before.find(member.key());
        if (other == before.end() || !keyedHere(member.key(), *other, member.value())) {
            restAfter[member.key()] = member.value();
        }
    }
    diffValues(restBefore, restAfter, "", "", sink);
    for (const char* key : {"groups", "bridges"}) {
        const auto old = before.find(key);
        const auto now = after.find(key);
        if (old == before.end() || now == after.end() || !keyedHere(key, *old, *now)) continue;
        DiffSink keyed = sink;
        keyed.element = std::string(key) == "groups" ? "group" : "bridge";
        std::string base;
        appendPointerToken(base, key);
        ArrayMatch(*old, *now).write(base, base, keyed);
    }
}

}  // namespace OrvexConfigValidate
