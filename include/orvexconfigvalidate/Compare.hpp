// Two versions of a deployment compared as the server reads them: groups
// and bridges matched by id whatever their order, members compared by
// value (2 and 2.0 differ: the server reads a float as mistyped), and the
// issues each version has, told apart by what they are about (code, group
// or bridge id, member) rather than by where they sit.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>
#include <orvexconfigvalidate/JsonView.hpp>
#include <orvexconfigvalidate/Text.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// The documents of one version. Either may be absent (a lone file); an
// issue's source says which one it belongs to: 0 the server file, 1 the
// bridges file (Issue::source, as validateTextPair sets it).
struct VersionDocuments {
    const nlohmann::json* server = nullptr;
    const nlohmann::json* bridges = nullptr;  // "groups" and "bridges" at its root
    // The bridges document that issues of source 1 speak of when it is not
    // compared itself (a server file judged with the bridges file it names).
    const nlohmann::json* judgedBridges = nullptr;
    // The texts server and bridges were parsed from, when they were: the
    // numbers they write beyond a double (2^64 + 1) are then compared and
    // copied into changes and patches exactly as written.
    const ParsedText* serverText = nullptr;
    const ParsedText* bridgesText = nullptr;
    std::vector<Issue> issues;
};

// NOLINTNEXTLINE(bugprone-exception-escape): only json's own noexcept destructor can throw
struct Change {
    enum class Kind { Added, Removed, Changed, Renamed };
    Kind kind = Kind::Changed;
    int source = 0;       // 0 the server file, 1 the bridges file
    std::string element;  // "group", "bridge", or "" for a member outside them
    std::string id;       // the group's or bridge's id (the new one of a rename)
    std::string oldId;    // a rename's old id
    // RFC 6901 pointers into each version's document; "" on the side
    // where the value is absent.
    std::string oldPointer;
    std::string newPointer;
    nlohmann::json oldValue;  // null where absent
    nlohmann::json newValue;
};

// What an issue is about, whatever its line or index: its code, the file,
// the id of its group or bridge, and the member (for a bridge's reference,
// the group id it names).
struct IssueKey {
    std::string code;
    int source = 0;
    std::string element;  // "group", "bridge" or ""
    std::string id;
    std::string member;
};

// Keys the issues of one version; `bridges` is the bridges document that
// its issues of source 1 speak of (absent when there is none).
class IssueKeys {
  public:
    explicit IssueKeys(JsonView bridges);
    IssueKey keyOf(const Issue& issue) const;

  private:
    std::string referencedId(const std::string& pointer) const;
    void element(IssueKey& key, const char* kind, const std::string& elementPointer,
                 const std::string& pointer) const;

    JsonView bridges_;
    std::optional<Configuration> model_;
};

struct IssueChange {
    Issue issue;
    IssueKey key;
};

struct Comparison {
    std::vector<Change> changes;
    // Issues of the new version that the old one did not have, and issues
    // of the old one that are gone, each with its key.
    std::vector<IssueChange> introduced;
    std::vector<IssueChange> resolved;
    // RFC 6902 patches, per source, that turn the old document into the new
    // one (arrays of operations; empty when equal or absent on a side).
    std::array<nlohmann::json, 2> patches{nlohmann::json::array(), nlohmann::json::array()};
    bool same() const { return changes.empty(); }
};

// Values nested deeper than this are refused: they are compared, copied and
// written with recursion.
inline constexpr std::size_t kCompareMaxDepth = 64;

// Throws std::invalid_argument for a document nested deeper than
// kCompareMaxDepth. Time is linear in the documents (groups and bridges are
// matched through hash tables), apart from sorting the moves of a reordered
// array.
Comparison compareVersions(const VersionDocuments& before, const VersionDocuments& after);

}  // namespace OrvexConfigValidate
