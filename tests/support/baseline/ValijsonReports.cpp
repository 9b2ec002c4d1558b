#include "baseline/ValijsonReports.hpp"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace OrvexConfigValidate::baseline {
namespace {

enum class Kind {
    Violation,
    // Encloses failures in one named child: the scope is a longer context.
    ChildWrapper,
    // Encloses failures in some child that the message does not name.
    AnyChildWrapper,
    // Encloses failures of another subschema applied to the same value.
    SameValueWrapper,
    // anyOf or oneOf without a passing branch: owns its branch reports.
    Combinator,
    // if-then-else whose chosen branch failed: owns the branch reports.
    Conditional,
    // A second wording of the violation reported just before it.
    Repeat,
};

struct Classified {
    Kind kind = Kind::Violation;
    std::vector<std::string> scope;  // ChildWrapper only
    long childSchema = -1;           // "child schema #n" lines only
};

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The text between prefix and suffix when the message has exactly that form.
bool between(const std::string& message, const std::string& prefix, const std::string& suffix,
             std::string& middle) {
    if (message.size() < prefix.size() + suffix.size()) return false;
    if (!startsWith(message, prefix) || !endsWith(message, suffix)) return false;
    middle = message.substr(prefix.size(), message.size() - prefix.size() - suffix.size());
    return true;
}

bool isNumber(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> childScope(const std::vector<std::string>& context,
                                    const std::string& step) {
    std::vector<std::string> scope = context;
    scope.push_back("[" + step + "]");
    return scope;
}

Classified classify(const ValidatorReport& report) {
    const std::string& message = report.message;
    std::string middle;
    Classified result;
    if (between(message, "Failed to validate against schema associated with property name '", "'.",
                middle)) {
        result.kind = Kind::ChildWrapper;
        result.scope = childScope(report.context, middle);
    } else if ((between(message, "Failed to validate item #", " in array.", middle) ||
                between(message, "Failed to validate item #", " against additional items schema.",
                        middle)) &&
               isNumber(middle)) {
        result.kind = Kind::ChildWrapper;
        result.scope = childScope(report.context, middle);
    } else if (between(message, "Failed to validate item #", " against corresponding item schema.",
                       middle) &&
               isNumber(middle)) {
        // Reported at the item's own context.
        result.kind = Kind::ChildWrapper;
        result.scope = report.context;
    } else if (between(message, "Failed to validate against schema associated with pattern '", "'.",
                       middle) ||
               message == "Failed to validate against additional properties schema") {
        result.kind = Kind::AnyChildWrapper;
    } else if (between(message, "Failed to validate against child schema #", ".", middle) &&
               isNumber(middle)) {
        result.kind = Kind::SameValueWrapper;
        result.childSchema = std::stol(middle);
    } else if (message == "Failed to validate against dependent schema.") {
        result.kind = Kind::SameValueWrapper;
    } else if (message == "Failed to validate against any schemas allowed by anyOf constraint." ||
               message ==
                   "Failed to validate against any child schemas allowed by oneOf constraint.") {
        result.kind = Kind::Combinator;
    } else if (message ==
               "Failed to validate against a conditional schema set by if-then-else "
               "constraints.") {
        result.kind = Kind::Conditional;
    }
    return result;
}

bool hasPrefix(const std::vector<std::string>& context, const std::vector<std::string>& prefix) {
    return context.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), context.begin());
}

// A report and the reports it encloses, rebuilt from valijson's post-order.
struct Group {
    std::size_t index = 0;
    Classified classified;
    std::vector<Group> children;
};

class GroupBuilder {
  public:
    explicit GroupBuilder(const std::vector<ValidatorReport>& all) : reports(all) {}

    std::vector<Group> build() {
        for (std::size_t i = 0; i < reports.size(); ++i) add(i);
        return std::move(stack);
    }

  private:
    const std::vector<std::string>& contextOf(const Group& group) const {
        return reports[group.index].context;
    }

    // A line that closes another subschema applied to the value at `context`.
    bool closesAt(const Group& group, const std::vector<std::string>& context) const {
        const Kind kind = group.classified.kind;
        return (kind == Kind::SameValueWrapper || kind == Kind::Combinator ||
                kind == Kind::Conditional) &&
               contextOf(group) == context;
    }

    void add(std::size_t index) {
        Group group{index, classify(reports[index]), {}};
        const std::vector<std::string>& context = reports[index].context;
        // Too many items are reported twice: "Array contains more items ..."
        // and then "Cannot validate item #n or greater ...".
        if (group.classified.kind == Kind::Violation && !stack.empty() &&
            startsWith(reports[index].message, "Cannot validate item #") &&
            reports[stack.back().index].message ==
                "Array contains more items than allowed by items constraint." &&
            contextOf(stack.back()) == context) {
            group.classified.kind = Kind::Repeat;
        }
        std::vector<Group> taken;
        switch (group.classified.kind) {
            case Kind::Violation:
            case Kind::Repeat:
                break;
            case Kind::ChildWrapper:
                while (!stack.empty() && hasPrefix(contextOf(stack.back()), group.classified.scope))
                    take(taken);
                break;
            case Kind::AnyChildWrapper:
                if (!stack.empty() && contextOf(stack.back()).size() > context.size() &&
                    hasPrefix(contextOf(stack.back()), context)) {
                    const std::vector<std::string> scope(
                        contextOf(stack.back()).begin(),
                        contextOf(stack.back()).begin() +
                            static_cast<std::ptrdiff_t>(context.size() + 1));
                    while (!stack.empty() && hasPrefix(contextOf(stack.back()), scope)) take(taken);
                }
                break;
            case Kind::SameValueWrapper:
            case Kind::Conditional:
                // A sibling branch's closing line bounds this one's reports.
                while (!stack.empty() && hasPrefix(contextOf(stack.back()), context) &&
                       !closesAt(stack.back(), context))
                    take(taken);
                break;
            case Kind::Combinator: {
                // Every branch failed, so its lines "#n-1" ... "#0" precede.
                long expectedBelow = -1;
                while (!stack.empty() && stack.back().classified.childSchema >= 0 &&
                       contextOf(stack.back()) == context &&
                       (expectedBelow < 0 || stack.back().classified.childSchema < expectedBelow)) {
                    expectedBelow = stack.back().classified.childSchema;
                    take(taken);
                    if (expectedBelow == 0) break;
                }
                break;
            }
        }
        std::reverse(taken.begin(), taken.end());
        group.children = std::move(taken);
        stack.push_back(std::move(group));
    }

    void take(std::vector<Group>& taken) {
        taken.push_back(std::move(stack.back()));
        stack.pop_back();
    }

    const std::vector<ValidatorReport>& reports;
    std::vector<Group> stack;
};

void collect(const Group& group, std::vector<std::size_t>& out) {
    const Kind kind = group.classified.kind;
    if (kind == Kind::Repeat) return;
    const bool owns = kind == Kind::Violation || kind == Kind::Combinator ||
                      kind == Kind::Conditional || group.children.empty();
    if (owns) {
        out.push_back(group.index);
        return;
    }
    for (const Group& child : group.children) collect(child, out);
}

std::string stripBrackets(const std::string& step) {
    if (step.size() >= 2 && step.front() == '[' && step.back() == ']')
        return step.substr(1, step.size() - 2);
    return step;
}

}  // namespace

std::vector<ValidatorReport> selectViolations(const std::vector<ValidatorReport>& reports) {
    std::vector<std::size_t> kept;
    for (const Group& group : GroupBuilder(reports).build()) collect(group, kept);
    // A failure is never lost: when every line was taken for an enclosing
    // one, the innermost (valijson reports inner levels first) stays.
    if (kept.empty() && !reports.empty()) kept.push_back(0);
    std::vector<ValidatorReport> violations;
    violations.reserve(kept.size());
    for (const std::size_t index : kept) violations.push_back(reports[index]);
    return violations;
}

nlohmann::json::json_pointer pointerForContext(const nlohmann::json& document,
                                               const std::vector<std::string>& context,
                                               const nlohmann::json** value) {
    nlohmann::json::json_pointer pointer;
    const nlohmann::json* node = &document;
    auto step = context.begin();
    if (step != context.end() && *step == "<root>") ++step;
    for (; step != context.end(); ++step) {
        const std::string token = stripBrackets(*step);
        pointer /= token;
        if (node != nullptr && node->is_array()) {
            if (isNumber(token) && token.size() < 19 && std::stoull(token) < node->size()) {
                node = &(*node)[static_cast<std::size_t>(std::stoull(token))];
            } else {
                node = nullptr;
            }
        } else if (node != nullptr && node->is_object()) {
            const auto found = node->find(token);
            node = found == node->end() ? nullptr : &*found;
        } else {
            node = nullptr;
        }
    }
    if (value != nullptr) *value = node;
    return pointer;
}

}  // namespace OrvexConfigValidate::baseline
