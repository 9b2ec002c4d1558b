#include <orvexconfigvalidate/Compare.hpp>

#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Pointer.hpp>

#include "model/MemberReaders.hpp"
#include "review/ExactNumbers.hpp"
#include "review/ValueDiff.hpp"

namespace OrvexConfigValidate {

namespace {

void refuseDeep(const nlohmann::json* document) {
    if (document != nullptr && nestingDepth(*document) > kCompareMaxDepth) {
        throw std::invalid_argument("a document nests deeper than " +
                                    std::to_string(kCompareMaxDepth) + " levels");
    }
}

void compareDocuments(const nlohmann::json* before, const nlohmann::json* after, int source,
                      Comparison& out) {
    static const nlohmann::json kAbsent;
    DiffSink sink;
    sink.source = source;
    sink.changes = &out.changes;
    sink.patch = &out.patches[source];
    if (before == nullptr || after == nullptr) {
        // A file on one side only is one change; no patch can say it.
        sink.patch = nullptr;
        if (before != nullptr || after != nullptr) {
            diffValues(before ? *before : kAbsent, after ? *after : kAbsent, "", "", sink);
        }
        return;
    }
    if (source == 1) {
        diffBridgesDocument(*before, *after, sink);
    } else {
        diffValues(*before, *after, "", "", sink);
    }
}

JsonView viewOf(const nlohmann::json* document) {
    return document != nullptr ? JsonView(*document) : JsonView();
}

std::string keyText(const IssueKey& key) {
    std::string text = key.code;
    for (const std::string* part : {&key.element, &key.id, &key.member}) {
        text.push_back('\0');
        text += *part;
    }
    return text + '\0' + std::to_string(key.source);
}

// Issues are told apart by their keys, counted: a key twice in the new
// version and once in the old one is one issue introduced.
void issueDelta(const VersionDocuments& before, const VersionDocuments& after, Comparison& out) {
    const IssueKeys oldKeys(viewOf(before.bridges ? before.bridges : before.judgedBridges));
    const IssueKeys newKeys(viewOf(after.bridges ? after.bridges : after.judgedBridges));
    std::unordered_map<std::string, std::vector<std::size_t>> unmatched;
    std::vector<IssueKey> keys;
    for (std::size_t i = 0; i < before.issues.size(); ++i) {
        keys.push_back(oldKeys.keyOf(before.issues[i]));
        unmatched[keyText(keys.back())].push_back(i);
    }
    for (const Issue& issue : after.issues) {
        IssueKey key = newKeys.keyOf(issue);
        const auto found = unmatched.find(keyText(key));
        if (found != unmatched.end() && !found->second.empty()) {
            found->second.pop_back();
            continue;
        }
        out.introduced.push_back({issue, std::move(key)});
    }
    std::vector<bool> gone(before.issues.size(), false);
    for (const auto& [text, left] : unmatched) {
        for (const std::size_t i : left) gone[i] = true;
    }
    for (std::size_t i = 0; i < before.issues.size(); ++i) {
        if (gone[i]) out.resolved.push_back({before.issues[i], keys[i]});
    }
}

// A version's documents, with the numbers their texts write beyond a double
// carried exactly (in copies, made only for a text that has such numbers).
class ExactVersion {
    // Before the pointers, which may point into them.
    std::optional<nlohmann::json> serverCopy_;
    std::optional<nlohmann::json> bridgesCopy_;

    static const nlohmann::json* exact(const nlohmann::json* document, const ParsedText* text,
                                       std::optional<nlohmann::json>& copy) {
        if (document == nullptr || text == nullptr) return document;
        copy = exactDocument(*text);
        return copy ? &*copy : document;
    }

  public:
    explicit ExactVersion(const VersionDocuments& version)
        : server(exact(version.server, version.serverText, serverCopy_)),
          bridges(exact(version.bridges, version.bridgesText, bridgesCopy_)) {}

    const nlohmann::json* server;
    const nlohmann::json* bridges;
};

}  // namespace

IssueKeys::IssueKeys(JsonView bridges) : bridges_(bridges) {
    if (bridges_) model_.emplace(kBridgesSchemaId, bridges_);
}

IssueKey IssueKeys::keyOf(const Issue& issue) const {
    IssueKey key;
    key.code = issue.code;
    key.source = issue.source;
    key.member = issue.pointer;
    if (issue.source != 1 || !model_) return key;
    const ConfigPlace place = model_->placeOf(issue.pointer);
    switch (place.kind) {
        case ConfigPlace::Group:
        case ConfigPlace::GroupType:
        case ConfigPlace::GroupOutputMode:
            element(key, "group", model_->groupPointer(place.group), issue.pointer);
            break;
        case ConfigPlace::Bridge:
            element(key, "bridge", model_->bridgePointer(place.bridge), issue.pointer);
            break;
        case ConfigPlace::GroupReference:
            element(key, "bridge", model_->bridgePointer(place.bridge), issue.pointer);
            key.member = "groups: " + referencedId(issue.pointer);
            break;
        default:
            break;
    }
    return key;
}

// The element's id, or its position when it has none; the member is the
// rest of the pointer.
void IssueKeys::element(IssueKey& key, const char* kind, const std::string& elementPointer,
                        const std::string& pointer) const {
    key.element = kind;
    const JsonView value = valueAt(bridges_, elementPointer);
    const std::string_view id = value ? readId(value) : std::string_view();
    key.id = id.empty() ? "#" + elementPointer : std::string(id);
    key.member = pointer.substr(std::min(pointer.size(), elementPointer.size()));
}

std::string IssueKeys::referencedId(const std::string& pointer) const {
    const JsonView value = valueAt(bridges_, pointer);
    return value.isString() ? std::string(value.string()) : "";
}

Comparison compareVersions(const VersionDocuments& before, const VersionDocuments& after) {
    for (const nlohmann::json* document :
         {before.server, before.bridges, after.server, after.bridges}) {
        refuseDeep(document);
    }
    const ExactVersion old(before);
    const ExactVersion now(after);
    Comparison out;
    compareDocuments(old.server, now.server, 0, out);
    compareDocuments(old.bridges, now.bridges, 1, out);
    issueDelta(before, after, out);
    return out;
}

}  // namespace OrvexConfigValidate
