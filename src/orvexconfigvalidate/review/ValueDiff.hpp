// Member-by-member differences of two JSON values, as changes for people and
// as RFC 6902 operations, and the order-insensitive matching by id of the
// bridges file's "groups" and "bridges".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Compare.hpp>

namespace OrvexConfigValidate {

// Equal as the server reads values: of one JSON type (an integer is not a
// float), objects member for member whatever their order.
bool sameValue(const nlohmann::json& a, const nlohmann::json& b);

// How deeply a value nests (a scalar: 1), counted without recursion.
std::size_t nestingDepth(const nlohmann::json& value);

// Where the differences of one document go.
struct DiffSink {
    int source = 0;
    std::vector<Change>* changes = nullptr;  // null: the patch only
    nlohmann::json* patch = nullptr;         // an array of operations
    std::string element;                     // of the changes written
    std::string id;
};

// The differences of two values at oldPointer and newPointer; the patch's
// operations address the value at newPointer, where it stands once the
// operations before have been applied.
void diffValues(const nlohmann::json& before, const nlohmann::json& after,
                const std::string& oldPointer, const std::string& newPointer, const DiffSink& sink);

// A bridges document: "groups" and "bridges" matched by id, the rest member
// by member.
void diffBridgesDocument(const nlohmann::json& before, const nlohmann::json& after,
                         const DiffSink& sink);

}  // namespace OrvexConfigValidate
