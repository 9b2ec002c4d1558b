#include "review/ValueDiff.hpp"

#include <utility>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Pointer.hpp>

#include "review/ExactNumbers.hpp"

namespace OrvexConfigValidate {

namespace {

bool isInteger(const nlohmann::json& value) {
    return value.is_number_integer();  // signed or unsigned
}

bool sameObject(const nlohmann::json& a, const nlohmann::json& b) {
    if (a.size() != b.size()) return false;
    for (auto member = a.begin(); member != a.end(); ++member) {
        const auto other = b.find(member.key());
        if (other == b.end() || !sameValue(member.value(), *other)) return false;
    }
    return true;
}

bool sameArray(const nlohmann::json& a, const nlohmann::json& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!sameValue(a[i], b[i])) return false;
    }
    return true;
}

void addOperation(const DiffSink& sink, const char* op, const std::string& path,
                  const nlohmann::json* value) {
    if (sink.patch == nullptr) return;
    nlohmann::json operation = {{"op", op}, {"path", path}};
    if (value != nullptr) operation["value"] = *value;
    sink.patch->push_back(std::move(operation));
}

void addChange(const DiffSink& sink, Change::Kind kind, const std::string& oldPointer,
               const std::string& newPointer, const nlohmann::json* before,
               const nlohmann::json* after) {
    if (sink.changes == nullptr) return;
    Change change;
    change.kind = kind;
    change.source = sink.source;
    change.element = sink.element;
    change.id = sink.id;
    change.oldPointer = oldPointer;
    change.newPointer = newPointer;
    if (before != nullptr) change.oldValue = *before;
    if (after != nullptr) change.newValue = *after;
    sink.changes->push_back(std::move(change));
}

std::string childPointer(const std::string& pointer, std::string_view token) {
    std::string out = pointer;
    appendPointerToken(out, token);
    return out;
}

void diffObjects(const nlohmann::json& before, const nlohmann::json& after,
                 const std::string& oldPointer, const std::string& newPointer,
                 const DiffSink& sink) {
    for (auto member = before.begin(); member != before.end(); ++member) {
        const std::string newChild = childPointer(newPointer, member.key());
        const auto other = after.find(member.key());
        if (other == after.end()) {
            addChange(sink, Change::Kind::Removed, childPointer(oldPointer, member.key()), "",
                      &member.value(), nullptr);
            addOperation(sink, "remove", newChild, nullptr);
        } else {
            diffValues(member.value(), *other, childPointer(oldPointer, member.key()), newChild,
                       sink);
        }
    }
    for (auto member = after.begin(); member != after.end(); ++member) {
        if (before.contains(member.key())) continue;
        const std::string newChild = childPointer(newPointer, member.key());
        addChange(sink, Change::Kind::Added, "", newChild, nullptr, &member.value());
        addOperation(sink, "add", newChild, &member.value());
    }
}

}  // namespace

bool sameValue(const nlohmann::json& a, const nlohmann::json& b) {
    if (isInteger(a) && isInteger(b)) return a == b;
    if (isWrittenNumber(a) || isWrittenNumber(b)) return sameFloat(a, b);
    if (a.type() != b.type()) return false;
    if (a.is_object()) return sameObject(a, b);
    if (a.is_array()) return sameArray(a, b);
    return a == b;
}

std::size_t nestingDepth(const nlohmann::json& value) {
    std::size_t deepest = 0;
    std::vector<std::pair<const nlohmann::json*, std::size_t>> pending{{&value, 1}};
    while (!pending.empty()) {
        const auto [at, depth] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, depth);
        if (!at->is_structured()) continue;
        for (const nlohmann::json& child : *at) pending.emplace_back(&child, depth + 1);
    }
    return deepest;
}

void diffValues(const nlohmann::json& before, const nlohmann::json& after,
                const std::string& oldPointer, const std::string& newPointer,
                const DiffSink& sink) {
    if (sameValue(before, after)) return;
    if (before.is_object() && after.is_object()) {
        diffObjects(before, after, oldPointer, newPointer, sink);
        return;
    }
    if (before.is_array() && after.is_array() && before.size() == after.size()) {
        for (std::size_t i = 0; i < before.size(); ++i) {
            const std::string index = std::to_string(i);
            diffValues(before[i], after[i], childPointer(oldPointer, index),
                       childPointer(newPointer, index), sink);
        }
        return;
    }
    addChange(sink, Change::Kind::Changed, oldPointer, newPointer, &before, &after);
    addOperation(sink, "replace", newPointer, &after);
}

}  // namespace OrvexConfigValidate
