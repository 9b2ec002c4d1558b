// The one document against nlohmann, both ways: a document read from a text
// against nlohmann's reading of it, value by value (kinds, scalars, numbers
// as written, member order, lookup and names, element order), and
// validate() of a nlohmann value against validateText() of its dump, issue
// by issue. Shared by the unit tests and the fuzzer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include "json/LeanDocument.hpp"

namespace OrvexConfigValidate {
namespace Differential {

using Json = nlohmann::json;

inline JsonKind kindOf(const Json& value) {
    switch (value.type()) {
        case Json::value_t::null:
            return JsonKind::Null;
        case Json::value_t::boolean:
            return JsonKind::Boolean;
        case Json::value_t::number_integer:
            return JsonKind::Integer;
        case Json::value_t::number_unsigned:
            return JsonKind::Unsigned;
        case Json::value_t::number_float:
            return JsonKind::Float;
        case Json::value_t::string:
            return JsonKind::String;
        case Json::value_t::array:
            return JsonKind::Array;
        default:
            return JsonKind::Object;
    }
}

inline bool sameDouble(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

inline std::string numberDifference(const Json& value, const LeanDocument& lean,
                                    std::uint32_t node) {
    if (!sameDouble(lean.number(node), value.get<double>())) return "number()";
    if (value.is_number_integer() && lean.integer(node) != value.get<std::int64_t>()) {
        return "integer()";
    }
    if (value.is_number_unsigned() && lean.unsignedInteger(node) != value.get<std::uint64_t>()) {
        return "unsignedInteger()";
    }
    const Json written = Json::parse(lean.numberText(node));
    if (!sameDouble(written.get<double>(), value.get<double>())) return "numberText()";
    return {};
}

inline std::string scalarDifference(const Json& value, const LeanDocument& lean,
                                    std::uint32_t node) {
    if (lean.kind(node) != kindOf(value)) return "kind()";
    if (value.is_boolean() && lean.boolean(node) != value.get<bool>()) return "boolean()";
    if (value.is_string() && lean.string(node) != value.get_ref<const std::string&>()) {
        return "string()";
    }
    if (value.is_number()) return numberDifference(value, lean, node);
    if (value.is_primitive() && lean.size(node) != 0) return "size() of a scalar";
    return {};
}

struct Pending {
    const Json* value;
    std::uint32_t node;
};

inline std::string arrayDifference(const Json& value, const LeanDocument& lean, std::uint32_t node,
                                   std::vector<Pending>& pending) {
    std::uint32_t walked = lean.firstElement(node);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::uint32_t element = lean.element(node, i);
        if (element == LeanDocument::kNoNode || walked != element) return "element()";
        if (lean.memberName(element).size() != 0) return "memberName() of an element";
        pending.push_back({&value[i], element});
        walked = lean.nextElement(node, walked);
    }
    if (walked != LeanDocument::kNoNode ||
        lean.element(node, value.size()) != LeanDocument::kNoNode) {
        return "elements past the end";
    }
    return {};
}

inline std::string objectDifference(const Json& value, const LeanDocument& lean, std::uint32_t node,
                                    std::vector<Pending>& pending) {
    std::size_t k = 0;
    for (const auto& [name, member] : value.items()) {
        const std::uint32_t at = lean.memberAt(node, k++);
        if (at == LeanDocument::kNoNode || lean.memberName(at) != name) return "memberAt()";
        if (lean.member(node, name) != at) return "member()";
        pending.push_back({&member, at});
    }
    if (lean.memberAt(node, k) != LeanDocument::kNoNode) return "members past the end";
    if ((lean.member(node, "") != LeanDocument::kNoNode) != value.contains("")) {
        return "member() of an absent name";
    }
    return {};
}

// Empty when `lean` holds `document`; else the first difference found.
inline std::string difference(const Json& document, const LeanDocument& lean) {
    std::vector<Pending> pending{{&document, LeanDocument::root()}};
    while (!pending.empty()) {
        const Pending at = pending.back();
        pending.pop_back();
        std::string problem = scalarDifference(*at.value, lean, at.node);
        if (problem.empty() && at.value->is_structured() &&
            lean.size(at.node) != at.value->size()) {
            problem = "size()";
        }
        if (problem.empty() && at.value->is_array()) {
            problem = arrayDifference(*at.value, lean, at.node, pending);
        }
        if (problem.empty() && at.value->is_object()) {
            problem = objectDifference(*at.value, lean, at.node, pending);
        }
        if (!problem.empty()) {
            return problem + " of node " + std::to_string(at.node) + " at offset " +
                   std::to_string(lean.index().nodes[at.node].start);
        }
    }
    return {};
}

inline std::string describePlace(const TextLocation& at) {
    return std::to_string(at.line) + ":" + std::to_string(at.column) + "@" +
           std::to_string(at.offset) + "+" + std::to_string(at.length);
}

// Everything a check gives, issue by issue (fixes by their edits), so that
// two checks of one text can be compared as strings.
inline std::string describeResult(const ValidationResult& result) {
    std::string out = std::string(result.ok ? "ok" : "not ok") + " omitted " +
                      std::to_string(result.omitted.total()) + "/" +
                      std::to_string(result.omittedInBridges.total()) + "\n";
    for (const Issue& issue : result.issues) {
        out += std::to_string(static_cast<int>(issue.severity)) + " " + issue.code + " [" +
               issue.path + "] [" + issue.pointer + "] " + issue.message + " id=" + issue.id +
               " hint=" + issue.hint + " source=" + std::to_string(issue.source) + " related=[" +
               issue.relatedPointer + "] at " + describePlace(issue.location) + " related at " +
               describePlace(issue.related) + " suggestion=" + issue.suggestion + "\n";
        for (const auto& [name, value] : issue.suggestedMembers)
            out += "  " + name + "=" + value + "\n";
        for (const Fix& fix : issue.fixes) {
            out += "  fix " + fix.title + (fix.safe ? " safe" : "") + "\n";
            for (const TextEdit& edit : fix.edits) {
                out += "    " + std::to_string(edit.offset) + "+" + std::to_string(edit.length) +
                       " " + edit.newText + "\n";
            }
        }
    }
    return out;
}

// Every field validate() gives, issue by issue.
inline std::string describeJudgement(const ValidationResult& result) {
    std::string out = std::string(result.ok ? "ok" : "not ok") + " omitted " +
                      std::to_string(result.omitted.total()) + "\n";
    for (const Issue& issue : result.issues) {
        out += std::to_string(static_cast<int>(issue.severity)) + " " + issue.code + " [" +
               issue.path + "] [" + issue.pointer + "] " + issue.message + " id=" + issue.id +
               " hint=" + issue.hint + " related=[" + issue.relatedPointer +
               "] suggestion=" + issue.suggestion + "\n";
        for (const auto& [name, value] : issue.suggestedMembers)
            out += "  " + name + "=" + value + "\n";
    }
    return out;
}

// Empty when validate() of the value and validateText() of its dump judge
// alike; else both judgements.
inline std::string judgementDifference(const std::string& schemaId, const Json& value,
                                       const ValidateOptions& options) {
    const std::string direct = describeJudgement(validate(schemaId, value, options));
    const std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    const std::string read = describeJudgement(validateText(schemaId, text, options));
    if (direct == read) return {};
    return "validate(json):\n" + direct + "validateText(dump):\n" + read;
}

}  // namespace Differential
}  // namespace OrvexConfigValidate
