// Evaluates a compiled schema on a document with an explicit stack of
// frames, one per (subschema, instance) in progress: any depth of document
// fits, and the path of an instance is read off the stack only when an
// issue is written.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include <re2/re2.h>

#include "engine/CompiledSchema.hpp"
#include "engine/EcmaRegex.hpp"
#include "engine/JsonEquality.hpp"
#include "engine/JsonNumbers.hpp"
#include "engine/MemberHint.hpp"
#include "engine/MemberNamers.hpp"
#include "engine/MissingMember.hpp"
#include "engine/NlohmannValue.hpp"
#include "engine/SchemaNode.hpp"
#include "engine/ValueText.hpp"
#include "engine/WorkBudget.hpp"
#include "json/PointerText.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

// Units of work allowed whatever the sizes. Past it the budget grows
// with the number of values in the document, never with the schema: a
// padded document buys a fixed amount of work per value it adds, and a
// padded schema buys none.
constexpr std::uint64_t kWorkFloor = 8'000'000;
constexpr std::uint64_t kWorkPerValue = 16;
// Issues are charged by the bytes they keep, a unit a byte, so that their
// memory is bounded by the budget; this much beside the bytes of the text.
constexpr std::size_t kIssueBytes = 64;

// Frames reserved up front: most documents are shallower than this.
constexpr std::size_t kInitialFrames = 32;

// How a frame's instance was reached from the frame below it.
enum class Via : std::uint8_t { Same, Member, Item };

// Where a member or an item was reached: the member's name or the item's
// index, the name's length and the index sharing a word, so that frames
// stay as small as they were over nlohmann values alone.
struct Reach {
    const char* name = nullptr;
    std::size_t count = 0;  // the name's length, or the index

    static Reach member(std::string_view key) { return {key.data(), key.size()}; }
    static Reach item(std::size_t index) { return {nullptr, index}; }
    std::string_view key() const { return {name, count}; }
    std::size_t index() const { return count; }
};

// Value is JsonView, or NlohmannValue for a parsed document.
template <typename Value>
struct BasicFrame {
    const SchemaNode* node;
    Value instance;
    Reach reach;  // Via::Member, Via::Item
    Via via = Via::Same;
    bool silent = false;  // only valid or invalid matters: no issues
    bool valid = true;
    bool started = false;
    bool awaiting = false;  // a child was pushed; its result is pending
    bool matched = false;   // Members: the current member met a schema
    // The instance's kind, read once: every check of the frame asks it.
    JsonKind kind = JsonKind::Null;
    std::uint16_t phase = 0;
    std::uint16_t check = 0;    // index into node->checks: a keyword's check once each
    std::uint32_t matches = 0;  // anyOf, oneOf: alternatives matched so far
    std::size_t position = 0;   // progress inside the current check
    typename Value::MemberIterator member;
};

// One a level of the document's depth, each copied as it is pushed: kept
// small.
static_assert(sizeof(void*) != 8 ||
                  (sizeof(BasicFrame<JsonView>) <= 80 && sizeof(BasicFrame<NlohmannValue>) <= 64),
              "a frame grew");

template <typename Value>
struct BasicChild {
    const SchemaNode* node;
    Value instance;
    Reach reach;
    Via via;
    bool silent;
};

std::string plural(std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::uint64_t codePoints(std::string_view text) {
    std::uint64_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

std::string typeMismatch(const SchemaNode& node, const JsonView& value) {
    std::string text = "expected " + node.typeText + ", found " + jsonTypeName(value);
    if (!value.isStructured() && !value.isNull()) text += " " + shortValueText(value);
    return text;
}

template <typename Value>
bool typeMatches(std::uint8_t types, JsonKind kind, const Value& value) {
    switch (kind) {
        case JsonKind::Null:
            // A nlohmann value that is no JSON value (binary) has no type.
            return (types & kTypeNull) != 0 && (value.json() == nullptr || value.json()->is_null());
        case JsonKind::Boolean:
            return (types & kTypeBoolean) != 0;
        case JsonKind::Object:
            return (types & kTypeObject) != 0;
        case JsonKind::Array:
            return (types & kTypeArray) != 0;
        case JsonKind::String:
            return (types & kTypeString) != 0;
        case JsonKind::Integer:
        case JsonKind::Unsigned:
            return (types & (kTypeNumber | kTypeInteger)) != 0;
        case JsonKind::Float:
            return (types & kTypeNumber) != 0 ||
                   ((types & kTypeInteger) != 0 && isIntegralNumber(value));
        default:
            return false;
    }
}

bool hasMember(const JsonView& object, std::string_view name) {
    return object.member(name).exists();
}

bool hasMember(const NlohmannValue& object, std::string_view name) {
    return object.hasMember(name);
}

std::string valueList(const std::vector<json>& values) {
    constexpr std::size_t kLongest = 120;
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) text += ", ";
        if (text.size() > kLongest) {
            text += "\xE2\x80\xA6";
            break;
        }
        text += shortValueText(values[i]);
    }
    return text;
}

// Issues by index into the result, compared by what a reader sees as the
// same issue: its code, pointer and message.
struct IssueHash {
    const std::vector<Issue>* issues;
    std::size_t operator()(std::size_t index) const {
        const Issue& issue = (*issues)[index];
        const std::hash<std::string> hash;
        return hash(issue.code) ^ (hash(issue.pointer) * 31) ^ (hash(issue.message) * 1009);
    }
};

struct IssueEqual {
    const std::vector<Issue>* issues;
    bool operator()(std::size_t a, std::size_t b) const {
        const Issue& x = (*issues)[a];
        const Issue& y = (*issues)[b];
        return x.code == y.code && x.pointer == y.pointer && x.message == y.message;
    }
};

template <typename Value>
class Evaluation {
    using Frame = BasicFrame<Value>;
    using Child = BasicChild<Value>;

  public:
    Evaluation(const CompiledSchema& compiled, Value validated, ValidationResult& into,
               const EvaluationOptions& evaluationOptions)
        : schema(compiled), document(validated), result(into), options(evaluationOptions) {}

    void run() {
        try {
            evaluate();
        } catch (const WorkExhausted&) {
            Issue issue;
            issue.severity = Severity::Error;
            issue.path = "/";
            issue.code = IssueCode::kSchemaEngine;
            issue.message =
                "the schema needs too much work for this document: evaluation stopped after " +
                std::to_string(work.limit()) + " steps";
            result.ok = false;
            result.issues.push_back(std::move(issue));
        }
    }

  private:
    void evaluate() {
        stack.reserve(kInitialFrames);
        judge({schema.root, document, {}, Via::Same, false});
    }

    // Runs the frames of `root` on top of those in progress, which it leaves
    // as they are, and says whether its instance is valid.
    bool judge(const Child& root) {
        const std::size_t base = stack.size();
        stack.push_back(frameFor(root));
        bool lastResult = true;
        while (stack.size() > base) {
            work.charge(1);
            // Starting may judge a value on top of the stack, which moves it.
            if (!stack.back().started) start(stack.back());
            Frame& frame = stack.back();
            bool hasResult = frame.awaiting;
            frame.awaiting = false;
            const auto& checks = frame.node->checks;
            bool pushed = false;
            while (frame.check < checks.size()) {
                if (frame.silent && !frame.valid) break;
                work.charge(1);
                const Check check = checks[frame.check];
                if (check < Check::AllOf) {
                    simpleCheck(frame, check);
                    ++frame.check;
                    continue;
                }
                Child child{};
                if (compoundCheck(frame, check, hasResult, lastResult, child)) {
                    if (child.node->checks.empty()) {
                        // The schema true or {}: valid without a frame.
                        hasResult = true;
                        lastResult = true;
                        continue;
                    }
                    frame.awaiting = true;
                    stack.push_back(frameFor(child));  // `frame` is stale from here
                    pushed = true;
                    break;
                }
                hasResult = false;
                ++frame.check;
                frame.position = 0;
                frame.matches = 0;
                frame.phase = 0;
            }
            if (pushed) continue;
            lastResult = stack.back().valid;
            stack.pop_back();
        }
        return lastResult;
    }

    // Strict mode names unknown members once per value: at the root and
    // where a member or an item is entered, not for each subschema on it.
    void start(Frame& frame) {
        frame.started = true;
        if (options.strict && !frame.silent && (frame.via != Via::Same || stack.size() == 1))
            reportUnknownMembers(frame);
    }

    static Frame frameFor(const Child& child) {
        Frame frame;
        frame.node = child.node;
        frame.instance = child.instance;
        frame.kind = child.instance.kind();
        frame.via = child.via;
        frame.reach = child.reach;
        frame.silent = child.silent;
        return frame;
    }

    // A lean document counts its values from its index, without a walk.
    std::uint64_t documentSize() const { return JsonView(document).valueCount(); }

    // ---- issues ----

    std::string pointerText(const std::string_view* extraKey) {
        work.charge(stack.size());
        std::string pointer;
        for (const Frame& frame : stack) {
            if (frame.via == Via::Member) {
                appendPointerToken(pointer, frame.reach.key());
            } else if (frame.via == Via::Item) {
                pointer += '/';
                pointer += std::to_string(frame.reach.index());
            }
        }
        if (extraKey != nullptr) appendPointerToken(pointer, *extraKey);
        return pointer;
    }

    // Issue text is charged as written, so the reports of a document are
    // bounded with its work; an issue written before (several paths through
    // the schema can reach one violation) is kept once.
    void add(Issue issue) {
        work.charge(kIssueBytes + issue.path.size() + issue.pointer.size() + issue.message.size() +
                    issue.hint.size());
        const std::size_t index = result.issues.size();
        result.issues.push_back(std::move(issue));
        const bool full = result.keepAtMost != 0 && index >= result.keepAtMost;
        if (full ? written.count(index) != 0 : !written.insert(index).second) {
            result.issues.pop_back();
            return;
        }
        if (result.issues.back().severity == Severity::Error) result.ok = false;
        if (full) {
            countPastBound(result.issues.back());
            result.issues.pop_back();
        }
    }

    // An issue past the result's bound is counted once, as those kept are;
    // its hash stands for it, at a few bytes where the issue takes hundreds.
    void countPastBound(const Issue& issue) {
        std::string key = issue.code;
        key.append(1, '\0').append(issue.pointer).append(1, '\0').append(issue.message);
        if (omittedSeen.insert(std::hash<std::string>{}(key)).second) {
            result.countOmitted(issue);
        }
    }

    // The message is built only when it is written: silent evaluations and
    // valid documents build no text.
    template <typename Message>
    void report(Frame& frame, const Message& message, const std::string_view* extraKey = nullptr) {
        frame.valid = false;
        if (frame.silent) return;
        Issue issue;
        issue.severity = Severity::Error;
        issue.pointer = pointerText(extraKey);
        issue.path = issue.pointer.empty() ? "/" : issue.pointer;
        issue.code = IssueCode::kSchema;
        issue.message = message();
        add(std::move(issue));
    }

    // How the instance of the top frame was reached, past frames that only
    // apply more schemas to the same value.
    const Frame& descent() {
        for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
            work.charge(1);
            if (it->via != Via::Same) return *it;
        }
        return stack.front();
    }

    // `frame` may move while a suggestion is judged: what is needed of it
    // is read first.
    void reportUnknownMembers(const Frame& frame) {
        const Value object = frame.instance;
        if (frame.kind != JsonKind::Object) return;
        const MemberNamers& namers = namersOf(*frame.node);
        if (namers.nodes.empty() || namers.forbidsOtherMembers) return;
        // The declared names, gathered once for all unknown members here.
        std::vector<const std::string*> candidates;
        for (const auto member : object.members()) {
            const std::string_view name = member.name();
            if (isNamed(namers, name)) continue;
            if (candidates.empty()) {
                for (const SchemaNode* namer : namers.nodes) {
                    work.charge(1 + namer->properties.size());
                    for (const auto& entry : namer->properties) candidates.push_back(&entry.first);
                }
            }
            const std::string key(name);
            const std::string suggestion = closestMemberName(key, candidates, work);
            Issue issue;
            issue.severity = Severity::Warning;
            issue.pointer = pointerText(&name);
            issue.path = issue.pointer;
            issue.code = IssueCode::kUnknownMember;
            issue.message = "unknown member " + quotedText(name);
            if (!suggestion.empty()) issue.hint = "did you mean " + quotedText(suggestion) + "?";
            const std::string only = onlyClosestMemberName(key, suggestion, candidates, work);
            // A rename is offered only when the value suits its new name.
            if (!only.empty() && fitsMember(namers, only, member.value())) issue.suggestion = only;
            add(std::move(issue));
        }
    }

    // Whether every schema that the namers apply to a member `name` takes
    // `value`; each is judged once, silently, over the value alone.
    bool fitsMember(const MemberNamers& namers, const std::string& name, const Value& value) {
        for (const SchemaNode* namer : namers.nodes) {
            const SchemaNode* property = declaredProperty(*namer, name);
            bool matched = property != nullptr;
            if (matched && !fitsSchema(property, name, value)) return false;
            for (const auto& [pattern, child] : namer->patternProperties) {
                if (!search(pattern, name)) continue;
                matched = true;
                if (!fitsSchema(child, name, value)) return false;
            }
            if (!matched && !fitsSchema(namer->additionalProperties, name, value)) return false;
        }
        return true;
    }

    bool fitsSchema(const SchemaNode* node, const std::string& name, const Value& value) {
        if (node == nullptr || node->checks.empty()) return true;
        return judge({node, value, Reach::member(name), Via::Member, true});
    }

    const MemberNamers& namersOf(const SchemaNode& node) {
        const auto known = namerCache.find(&node);
        if (known != namerCache.end()) return known->second;
        return namerCache.emplace(&node, collectMemberNamers(node, work)).first->second;
    }

    bool isNamed(const MemberNamers& namers, std::string_view name) {
        for (const SchemaNode* namer : namers.nodes) {
            if (declaredProperty(*namer, name) != nullptr) return true;
            for (const auto& [pattern, child] : namer->patternProperties)
                if (search(pattern, name)) return true;
        }
        return false;
    }

    // The schema of the property `name` that the node declares, or null.
    const SchemaNode* declaredProperty(const SchemaNode& node, std::string_view name) {
        const auto& properties = node.properties;
        work.chargeBytes(name.size());
        const auto found = std::lower_bound(
            properties.begin(), properties.end(), name,
            [](const auto& entry, std::string_view key) { return entry.first < key; });
        if (found != properties.end() && found->first == name) return found->second;
        return nullptr;
    }

    bool search(const PatternCheck& pattern, std::string_view text) {
        work.chargeSearch(text.size(), pattern.cost);
        return ecmaRegexSearch(*pattern.regex, text);
    }

    std::uint64_t countCodePoints(std::string_view text) {
        work.chargeBytes(text.size());
        return codePoints(text);
    }

    // ---- checks without subschemas ----

    // Charged as comparing the values one by one up to the first equal one.
    bool enumHolds(const SchemaNode& node, JsonKind kind, const Value& value) {
        const bool integral = kind == JsonKind::Integer || kind == JsonKind::Unsigned;
        if (!integral || node.enumIntegers.empty()) {
            for (const json& allowed : node.enumValues)
                if (jsonEqual(allowed, value, &work)) return true;
            return false;
        }
        const JsonView view = value;
        const std::vector<std::int64_t>& allowed = node.enumIntegers;
        const bool fits = kind == JsonKind::Integer ||
                          view.unsignedInteger() <=
                              static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        const std::int64_t wanted = kind == JsonKind::Integer
                                        ? view.integer()
                                        : static_cast<std::int64_t>(view.unsignedInteger());
        for (std::size_t i = 0; fits && i < allowed.size(); ++i) {
            if (allowed[i] != wanted) continue;
            work.charge(i + 1);
            return true;
        }
        work.charge(allowed.size());
        return false;
    }

    void simpleCheck(Frame& frame, Check check) {
        const SchemaNode& node = *frame.node;
        const Value value = frame.instance;
        switch (check) {
            case Check::False:
                reportFalse(frame);
                return;
            case Check::Type:
                if (!typeMatches(node.types, frame.kind, value))
                    report(frame, [&] { return typeMismatch(node, value); });
                return;
            case Check::Enum: {
                if (enumHolds(node, frame.kind, value)) return;
                report(frame, [&] {
                    return shortValueText(value) + " is not one of " + valueList(node.enumValues);
                });
                return;
            }
            case Check::Const:
                if (!jsonEqual(node.constValue, value, &work))
                    report(frame, [&] {
                        return shortValueText(value) + " is not the required value " +
                               shortValueText(node.constValue);
                    });
                return;
            default:
                break;
        }
        switch (frame.kind) {
            case JsonKind::Integer:
            case JsonKind::Unsigned:
            case JsonKind::Float:
                numberCheck(frame, check);
                return;
            case JsonKind::String:
                stringCheck(frame, check);
                return;
            case JsonKind::Array:
                arrayCheck(frame, check);
                return;
            case JsonKind::Object:
                objectCheck(frame, check);
                return;
            default:
                return;
        }
    }

    void reportFalse(Frame& frame) {
        const Frame& reached = descent();
        if (reached.via == Via::Member) {
            report(frame,
                   [&] { return "member " + quotedText(reached.reach.key()) + " is not allowed"; });
        } else if (reached.via == Via::Item) {
            report(frame, [&] {
                return "item " + std::to_string(reached.reach.index()) + " is not allowed";
            });
        } else {
            report(frame, [&] { return "no value is allowed here"; });
        }
    }

    void numberCheck(Frame& frame, Check check) {
        const SchemaNode& node = *frame.node;
        const Value value = frame.instance;
        switch (check) {
            case Check::Maximum:
                if (compareNumbers(value, node.maximum) > 0)
                    report(frame, [&] {
                        return shortValueText(value) + " is greater than the maximum " +
                               shortValueText(node.maximum);
                    });
                return;
            case Check::Minimum:
                if (compareNumbers(value, node.minimum) < 0)
                    report(frame, [&] {
                        return shortValueText(value) + " is less than the minimum " +
                               shortValueText(node.minimum);
                    });
                return;
            case Check::ExclusiveMaximum:
                if (compareNumbers(value, node.exclusiveMaximum) >= 0)
                    report(frame, [&] {
                        return shortValueText(value) + " is not less than the exclusive maximum " +
                               shortValueText(node.exclusiveMaximum);
                    });
                return;
            case Check::ExclusiveMinimum:
                if (compareNumbers(value, node.exclusiveMinimum) <= 0)
                    report(frame, [&] {
                        return shortValueText(value) +
                               " is not greater than the exclusive minimum " +
                               shortValueText(node.exclusiveMinimum);
                    });
                return;
            case Check::MultipleOf:
                if (!isMultipleOf(value, node.multipleOf))
                    report(frame, [&] {
                        return shortValueText(value) + " is not a multiple of " +
                               shortValueText(node.multipleOf);
                    });
                return;
            default:
                return;
        }
    }

    void stringCheck(Frame& frame, Check check) {
        const SchemaNode& node = *frame.node;
        const std::string_view text = frame.instance.string();
        switch (check) {
            case Check::MaxLength:
                // A byte count within the limit bounds the code points too.
                if (text.size() > node.maxLength && countCodePoints(text) > node.maxLength)
                    report(frame, [&] {
                        return quotedText(text) + " is longer than " +
                               plural(node.maxLength, "character", "characters");
                    });
                return;
            case Check::MinLength:
                if (text.size() < node.minLength || countCodePoints(text) < node.minLength)
                    report(frame, [&] {
                        return quotedText(text) + " is shorter than " +
                               plural(node.minLength, "character", "characters");
                    });
                return;
            case Check::Pattern:
                if (!search(node.pattern, text))
                    report(frame, [&] {
                        return quotedText(text) + " does not match the pattern \"" +
                               node.pattern.text + "\"";
                    });
                return;
            default:
                return;
        }
    }

    void arrayCheck(Frame& frame, Check check) {
        const SchemaNode& node = *frame.node;
        const Value value = frame.instance;
        switch (check) {
            case Check::MaxItems:
                if (value.size() > node.maxItems)
                    report(frame, [&] {
                        return "array has " + plural(value.size(), "item", "items") +
                               ", more than the maximum " + std::to_string(node.maxItems);
                    });
                return;
            case Check::MinItems:
                if (value.size() < node.minItems)
                    report(frame, [&] {
                        return "array has " + plural(value.size(), "item", "items") +
                               ", fewer than the minimum " + std::to_string(node.minItems);
                    });
                return;
            case Check::UniqueItems:
                uniqueItems(frame);
                return;
            default:
                return;
        }
    }

    // Hashing finds candidates in linear time; the first item that equals
    // an earlier one is reported with the first such earlier one.
    void uniqueItems(Frame& frame) {
        const Value value = frame.instance;
        std::unordered_map<std::size_t, std::vector<std::size_t>> seen;
        seen.reserve(value.size());
        for (std::size_t j = 0; j < value.size(); ++j) {
            auto& bucket = seen[jsonHash(value.element(j), &work)];
            for (const std::size_t i : bucket) {
                if (jsonEqual(value.element(i), value.element(j), &work)) {
                    report(frame, [&] {
                        return "items " + std::to_string(i) + " and " + std::to_string(j) +
                               " are equal, but items must be unique";
                    });
                    return;
                }
            }
            bucket.push_back(j);
        }
    }

    void objectCheck(Frame& frame, Check check) {
        const SchemaNode& node = *frame.node;
        const Value value = frame.instance;
        switch (check) {
            case Check::MaxProperties:
                if (value.size() > node.maxProperties)
                    report(frame, [&] {
                        return "object has " + plural(value.size(), "member", "members") +
                               ", more than the maximum " + std::to_string(node.maxProperties);
                    });
                return;
            case Check::MinProperties:
                if (value.size() < node.minProperties)
                    report(frame, [&] {
                        return "object has " + plural(value.size(), "member", "members") +
                               ", fewer than the minimum " + std::to_string(node.minProperties);
                    });
                return;
            case Check::Required:
                requiredCheck(frame);
                return;
            case Check::DependentRequired:
                dependentRequiredCheck(frame);
                return;
            default:
                return;
        }
    }

    void requiredCheck(Frame& frame) {
        const Value value = frame.instance;
        for (const std::string& name : frame.node->required) {
            if (has(value, name)) continue;
            const std::size_t reported = result.issues.size();
            report(frame, [&] { return "missing required member " + quotedText(name); });
            if (frame.silent) return;
            if (result.issues.size() > reported)
                result.issues.back().suggestedMembers = missingMemberFill(*frame.node, name);
        }
    }

    void dependentRequiredCheck(Frame& frame) {
        const Value value = frame.instance;
        for (const Dependency& dependency : frame.node->dependencies) {
            work.charge(1);
            if (dependency.schema != nullptr || !has(value, dependency.member)) continue;
            for (const std::string& name : dependency.required) {
                if (has(value, name)) continue;
                report(frame, [&] {
                    return "member " + quotedText(name) + " is required when " +
                           quotedText(dependency.member) + " is present";
                });
                if (frame.silent) return;
            }
        }
    }

    // A member lookup; the names compared are as long as the one sought.
    bool has(const Value& object, const std::string& name) {
        work.chargeBytes(name.size());
        return hasMember(object, name);
    }

    // ---- checks with subschemas ----

    // Takes the result of the child pushed last (when hasResult), then
    // either names the next child to evaluate (true) or ends the check.
    bool compoundCheck(Frame& frame, Check check, bool hasResult, bool childResult, Child& child) {
        if (hasResult && !childResult && childFailureFails(check, frame.phase))
            frame.valid = false;  // the child has written its own issues
        switch (check) {
            case Check::AllOf:
                return allOf(frame, hasResult, child);
            case Check::AnyOf:
                return anyOf(frame, hasResult, childResult, child);
            case Check::OneOf:
                return oneOf(frame, hasResult, childResult, child);
            case Check::Not:
                return notCheck(frame, hasResult, childResult, child);
            case Check::IfThenElse:
                return ifThenElse(frame, childResult, child);
            case Check::DependentSchemas:
                return dependentSchemas(frame, hasResult, child);
            case Check::PropertyNames:
                return propertyNames(frame, hasResult, childResult, child);
            case Check::Members:
                return members(frame, hasResult, child);
            case Check::Items:
                return items(frame, hasResult, child);
            case Check::Contains:
                return contains(frame, hasResult, childResult, child);
            default:
                return false;
        }
    }

    // Whether a failing child makes its frame fail: not where some children
    // are expected to fail, nor for the condition of "if" (phase 1).
    static bool childFailureFails(Check check, std::uint16_t phase) {
        switch (check) {
            case Check::AnyOf:
            case Check::OneOf:
            case Check::Not:
            case Check::Contains:
            case Check::PropertyNames:
                return false;
            case Check::IfThenElse:
                return phase != 1;
            default:
                return true;
        }
    }

    // Names a subschema to evaluate on the frame's own value.
    static bool sameValue(const Frame& frame, const SchemaNode* next, bool silent, Child& child) {
        child = {next, frame.instance, {}, Via::Same, silent || frame.silent};
        return true;
    }

    bool allOf(Frame& frame, bool hasResult, Child& child) {
        const auto& list = frame.node->allOf;
        if (hasResult) ++frame.position;
        if (frame.silent && !frame.valid) return false;
        return frame.position < list.size() && sameValue(frame, list[frame.position], false, child);
    }

    bool anyOf(Frame& frame, bool hasResult, bool childResult, Child& child) {
        const auto& list = frame.node->anyOf;
        if (hasResult) {
            if (childResult) return false;
            ++frame.position;
        }
        if (frame.position < list.size())
            return sameValue(frame, list[frame.position], true, child);
        report(frame, [&] {
            return shortValueText(frame.instance) + " matches none of the " +
                   std::to_string(list.size()) + " alternatives";
        });
        return false;
    }

    bool oneOf(Frame& frame, bool hasResult, bool childResult, Child& child) {
        const auto& list = frame.node->oneOf;
        if (hasResult) {
            if (childResult) ++frame.matches;
            ++frame.position;
            // Silent callers need no count past two.
            if (frame.silent && frame.matches > 1) {
                frame.valid = false;
                return false;
            }
        }
        if (frame.position < list.size())
            return sameValue(frame, list[frame.position], true, child);
        const Value value = frame.instance;
        if (frame.matches == 0) {
            report(frame, [&] {
                return shortValueText(value) + " matches none of the " +
                       std::to_string(list.size()) + " alternatives";
            });
        } else if (frame.matches > 1) {
            report(frame, [&] {
                return shortValueText(value) + " matches " + std::to_string(frame.matches) +
                       " of the alternatives, exactly one allowed";
            });
        }
        return false;
    }

    bool notCheck(Frame& frame, bool hasResult, bool childResult, Child& child) {
        if (!hasResult) return sameValue(frame, frame.node->notSchema, true, child);
        if (childResult)
            report(frame, [&] {
                return shortValueText(frame.instance) + " must not match the schema under \"not\"";
            });
        return false;
    }

    // Phase 0 evaluates the condition silently; its result, in phase 1,
    // picks the branch.
    bool ifThenElse(Frame& frame, bool childResult, Child& child) {
        const SchemaNode& node = *frame.node;
        if (frame.phase == 0) {
            frame.phase = 1;
            return sameValue(frame, node.ifSchema, true, child);
        }
        if (frame.phase == 1) {
            frame.phase = 2;
            const SchemaNode* branch = childResult ? node.thenSchema : node.elseSchema;
            return branch != nullptr && sameValue(frame, branch, false, child);
        }
        return false;
    }

    bool dependentSchemas(Frame& frame, bool hasResult, Child& child) {
        const Value value = frame.instance;
        if (frame.kind != JsonKind::Object) return false;
        const auto& dependencies = frame.node->dependencies;
        if (hasResult) ++frame.position;
        if (frame.silent && !frame.valid) return false;
        for (; frame.position < dependencies.size(); ++frame.position) {
            const Dependency& dependency = dependencies[frame.position];
            work.charge(1);
            if (dependency.schema == nullptr || !has(value, dependency.member)) continue;
            child = {dependency.schema, value, {}, Via::Same, frame.silent};
            return true;
        }
        return false;
    }

    bool propertyNames(Frame& frame, bool hasResult, bool childResult, Child& child) {
        const Value value = frame.instance;
        if (frame.kind != JsonKind::Object) return false;
        const auto object = value.members();
        if (!hasResult) {
            frame.member = object.begin();
        } else {
            names->pop_back();
            const std::string_view name = (*frame.member).name();
            if (!childResult)
                report(
                    frame,
                    [&] {
                        return "member name " + quotedText(name) +
                               " does not match the schema under \"propertyNames\"";
                    },
                    &name);
            if (frame.silent && !frame.valid) return false;
            ++frame.member;
        }
        if (frame.member == object.end()) return false;
        // The name is evaluated as a string value of its own.
        if (!names) names = std::make_unique<std::deque<json>>();
        const std::string_view name = (*frame.member).name();
        work.chargeBytes(name.size());
        names->emplace_back(std::string(name));
        child = {frame.node->propertyNames, names->back(), {}, Via::Same, true};
        return true;
    }

    bool members(Frame& frame, bool hasResult, Child& child) {
        const Value value = frame.instance;
        if (frame.kind != JsonKind::Object) return false;
        // A frame's place on the stack holds while it is there.
        const auto at = static_cast<std::size_t>(&frame - stack.data());
        if (!hasResult) {
            // The members are asked for once per object, not once per member:
            // a lean object looks for its first member each time.
            const auto object = value.members();
            frame.member = object.begin();
            if (memberEnds.size() <= at) memberEnds.resize(at + 1);
            memberEnds[at] = object.end();
            frame.phase = 0;
            frame.matched = false;
            frame.position = 0;  // cursor into the sorted properties
        }
        const auto end = memberEnds[at];
        while (frame.member != end) {
            if (frame.silent && !frame.valid) return false;
            const auto member = *frame.member;
            if (const SchemaNode* next = nextMemberSchema(frame, member.name())) {
                child = {next, member.value(), Reach::member(member.name()), Via::Member,
                         frame.silent};
                return true;
            }
            ++frame.member;
            frame.phase = 0;
            frame.matched = false;
        }
        return false;
    }

    // The next subschema the current member meets, or null when it has met
    // them all. Phase 0 is its property, phases 1 to n the n patterns, n + 1
    // the additional members' schema when nothing else matched.
    const SchemaNode* nextMemberSchema(Frame& frame, std::string_view key) {
        const SchemaNode& node = *frame.node;
        const std::size_t patterns = node.patternProperties.size();
        if (frame.phase == 0) {
            frame.phase = 1;
            if (const SchemaNode* property = propertySchema(frame, key)) {
                frame.matched = true;
                return property;
            }
        }
        while (frame.phase <= patterns) {
            const auto& [pattern, next] = node.patternProperties[frame.phase - 1];
            ++frame.phase;
            if (search(pattern, key)) {
                frame.matched = true;
                return next;
            }
        }
        if (frame.phase == patterns + 1) {
            frame.phase = static_cast<std::uint16_t>(patterns + 2);
            if (!frame.matched) return node.additionalProperties;
        }
        return nullptr;
    }

    // Members come sorted, as the properties do: one cursor walks both.
    template <typename Name>
    const SchemaNode* propertySchema(Frame& frame, const Name& key) {
        const auto& properties = frame.node->properties;
        auto& cursor = frame.position;
        while (cursor < properties.size() && properties[cursor].first < key) {
            work.chargeBytes(key.size());
            ++cursor;
        }
        work.chargeBytes(key.size());
        if (cursor < properties.size() && properties[cursor].first == key)
            return properties[cursor].second;
        return nullptr;
    }

    bool items(Frame& frame, bool hasResult, Child& child) {
        const Value value = frame.instance;
        if (frame.kind != JsonKind::Array) return false;
        const SchemaNode& node = *frame.node;
        if (hasResult) ++frame.position;
        if (frame.silent && !frame.valid) return false;
        const std::size_t i = frame.position;
        if (i >= value.size()) return false;
        const SchemaNode* next = nullptr;
        if (node.items != nullptr) {
            next = node.items;
        } else if (i < node.itemList.size()) {
            next = node.itemList[i];
        } else {
            next = node.additionalItems;
        }
        if (next == nullptr) return false;
        child = {next, value.element(i), Reach::item(i), Via::Item, frame.silent};
        return true;
    }

    bool contains(Frame& frame, bool hasResult, bool childResult, Child& child) {
        const Value value = frame.instance;
        if (frame.kind != JsonKind::Array) return false;
        if (hasResult) {
            if (childResult) return false;
            ++frame.position;
        }
        if (frame.position < value.size()) {
            child = {frame.node->contains, value.element(frame.position),
                     Reach::item(frame.position), Via::Item, true};
            return true;
        }
        report(frame, [&] { return "no item of the array matches the schema under \"contains\""; });
        return false;
    }

    const CompiledSchema& schema;
    const Value document;
    ValidationResult& result;
    const EvaluationOptions& options;
    std::vector<Frame> stack;
    // members(): the end of the members of the frame at each place.
    std::vector<typename Value::MemberIterator> memberEnds;
    // Member names under evaluation by "propertyNames"; a deque keeps them
    // in place while more are added. Made on first use: most schemas have
    // no "propertyNames".
    std::unique_ptr<std::deque<json>> names;
    WorkBudget ownWork{kWorkFloor, [this] { return kWorkFloor + kWorkPerValue * documentSize(); }};
    WorkBudget& work = options.sharedWork != nullptr ? *options.sharedWork : ownWork;
    // Indices of the issues written, by code, pointer and message.
    std::unordered_set<std::size_t, IssueHash, IssueEqual> written{0, IssueHash{&result.issues},
                                                                   IssueEqual{&result.issues}};
    // Hashes of the issues counted past the result's bound.
    std::unordered_set<std::size_t> omittedSeen;
    // Strict mode's namers of each entry subschema met so far.
    std::unordered_map<const SchemaNode*, MemberNamers> namerCache;
};

}  // namespace

void evaluateSchema(const CompiledSchema& schema, JsonView document, ValidationResult& result,
                    const EvaluationOptions& options) {
    if (schema.root == nullptr) return;
    // A parsed document is read as nlohmann values throughout; the lean
    // test is made here, once.
    if (const nlohmann::json* parsed = document.json()) {
        Evaluation<NlohmannValue>(schema, *parsed, result, options).run();
    } else {
        evaluateSchemaThroughView(schema, document, result, options);
    }
}

void evaluateSchemaThroughView(const CompiledSchema& schema, JsonView document,
                               ValidationResult& result, const EvaluationOptions& options) {
    if (schema.root == nullptr) return;
    Evaluation<JsonView>(schema, document, result, options).run();
}

}  // namespace OrvexConfigValidate
