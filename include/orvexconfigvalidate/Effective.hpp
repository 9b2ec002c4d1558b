// The server file and bridges file as the server runs them: the members the
// rules read take the value the server reads (the default when absent or
// mistyped), and the values a forcing server mode overrides take the forced
// value. Each such value is listed with its reason and its pointer.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include <orvexconfigvalidate/Compare.hpp>

namespace OrvexConfigValidate {

// NOLINTNEXTLINE(bugprone-exception-escape): only json's own noexcept destructor can throw
struct EffectiveValue {
    enum class Reason {
        Absent,    // not written: the default
        Mistyped,  // written with another JSON type (2.0, "1"): the default
        Forced,    // overridden by the server mode
    };
    Reason reason = Reason::Absent;
    int source = 0;          // 0 the server file, 1 the bridges file
    std::string pointer;     // where the member is, or would be
    nlohmann::json written;  // null when absent
    nlohmann::json value;    // what the server runs
    // For a forced value: the issue code that tells of it
    // ("mode_force_raw"); else "".
    std::string code;
};

// NOLINTNEXTLINE(bugprone-exception-escape): only json's own noexcept destructor can throw
struct EffectiveConfiguration {
    // Copies of the documents with every listed value in place; null for
    // a document not given.
    nlohmann::json server;
    nlohmann::json bridges;
    std::vector<EffectiveValue> values;
};

// Either document may be null. Without a server file the groups dictate
// their output mode, as when a bridges file is checked alone. Throws
// std::invalid_argument for a document nested deeper than kCompareMaxDepth:
// the view copies and prints values with recursion, as compare does.
EffectiveConfiguration effectiveConfiguration(const nlohmann::json* server,
                                              const nlohmann::json* bridges);

}  // namespace OrvexConfigValidate
