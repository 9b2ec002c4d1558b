#include <orvexconfigvalidate/Configuration.hpp>

#include <algorithm>
#include <cstring>
#include <functional>

#include "json/PointerText.hpp"
#include "model/MemberReaders.hpp"

namespace OrvexConfigValidate {

using Json = nlohmann::json;

namespace {

// Two's-complement reading of the low 32 bits, without relying on
// implementation-defined narrowing.
std::int32_t lowBitsAsInt32(std::uint64_t value) {
    const std::int64_t low = static_cast<std::int64_t>(value & 0xFFFFFFFFu);
    return static_cast<std::int32_t>(low > INT32_MAX ? low - (std::int64_t{1} << 32) : low);
}

std::int32_t outputModeOf(const JsonView& group) {
    const JsonView detail = group.member("bridgeTargetOutputDetail");
    if (!detail.isObject()) return bomRaw;
    return getIntOr(detail, "mode", bomRaw);
}

std::string_view nameIn(const char* const* names, std::size_t count, std::int64_t value) {
    if (value < 0 || static_cast<std::uint64_t>(value) >= count) return {};
    return names[value];
}

std::string lastComponent(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string_view opModeName(std::int64_t value) {
    static const char* const kNames[] = {"omRaw", "omMultistream", "omMixedStream",
                                         "omADictatedByGroup"};
    return nameIn(kNames, 4, value);
}

std::string_view groupTypeName(std::int64_t value) {
    static const char* const kNames[] = {"gtUnknown", "gtAudio", "gtPresence", "gtRaw"};
    return nameIn(kNames, 4, value);
}

std::string_view bridgingOpModeName(std::int64_t value) {
    static const char* const kNames[] = {"bomRaw", "bomMultistream", "bomMixedStream", "bomNone"};
    return nameIn(kNames, 4, value);
}

std::string schemaIdForFileName(std::string_view path) {
    const std::string name = lastComponent(std::string(path));
    if (name == kBridgesFileName) return kBridgesSchemaId;
    if (name == kServerFileName) return kServerSchemaId;
    return "";
}

std::optional<std::int32_t> readInt32(JsonView value) {
    if (value.isUnsigned()) return lowBitsAsInt32(value.unsignedInteger());
    if (value.isIntegral()) return lowBitsAsInt32(static_cast<std::uint64_t>(value.integer()));
    // The server reads a float as a mistyped member, 2.0 included.
    return std::nullopt;
}

Configuration::Configuration(std::string_view schemaId, JsonView document) {
    if (schemaId == kEnvelopeSchemaId) {
        if (!document.isObject()) return;
        server_ = document.member("server");
        serverBase_ = "/server";
        serverInDocument_ = server_.exists();
        if (server_) mode_ = getIntOr(server_, "mode", omRaw);
        base_ = "/bridges";
        if (const JsonView bridging = document.member("bridges")) readBridges(bridging);
    } else if (schemaId == kBridgesSchemaId) {
        // A bridges file alone is judged as the server's group-dictated mode
        // would see it; its own "mode" member means nothing here.
        mode_ = omADictatedByGroup;
        readBridges(document);
    } else if (schemaId == kServerSchemaId) {
        server_ = document;
        serverInDocument_ = true;
        mode_ = getIntOr(document, "mode", omRaw);
    } else if (schemaId == kGroupSchemaId) {
        // A lone group is element 0 of a bridging document without bridges.
        mode_ = omADictatedByGroup;
        singleGroup_ = true;
        hasGroups_ = true;
        readGroups(document);
    }
}

Configuration Configuration::ofPair(JsonView server, JsonView bridging) {
    Configuration configuration;
    configuration.server_ = server;
    configuration.mode_ = getIntOr(server, "mode", omRaw);
    configuration.readBridges(bridging);
    return configuration;
}

namespace {

ConfigGroup groupEntry(const JsonView& group, std::size_t index) {
    ConfigGroup entry;
    entry.index = index;
    entry.value = group;
    entry.id = readId(group);
    entry.name = readString(group, "name");
    entry.type = getIntOr(group, "type", gtUnknown);
    entry.outputMode = outputModeOf(group);
    return entry;
}

ConfigBridge bridgeEntry(const JsonView& bridge, std::size_t index) {
    ConfigBridge entry;
    entry.index = index;
    entry.value = bridge;
    entry.id = readId(bridge);
    entry.name = readString(bridge, "name");
    entry.enabled = isBridgeEnabled(bridge);
    const JsonView names = bridge.member("groups");
    entry.namesGroups = names.isArray() && names.size() != 0;
    std::size_t j = 0;
    for (const JsonView name : names.elements()) {
        if (name.isString()) entry.references.push_back({j, name.string()});
        ++j;
    }
    return entry;
}

// The first entry read from element `index` of an array or a later one,
// found by binary search: entries are in element order, and non-objects
// have none.
template <typename Iterator>
Iterator firstFrom(Iterator begin, Iterator end, std::size_t index) {
    return std::lower_bound(begin, end, index, [](const auto& entry, std::size_t wanted) {
        return entry.index < wanted;
    });
}

// The entry read from element `index` of an array.
template <typename Entry>
Entry* entryAt(std::vector<Entry>& entries, std::size_t index) {
    const auto found = firstFrom(entries.begin(), entries.end(), index);
    return found != entries.end() && found->index == index ? &*found : nullptr;
}

}  // namespace

void Configuration::readGroups(JsonView groups) {
    if (singleGroup_) {
        if (groups.isObject()) groups_.push_back(groupEntry(groups, 0));
    } else {
        groups_.reserve(groups.size());
        std::size_t i = 0;
        for (const JsonView group : groups.elements()) {
            if (group.isObject()) groups_.push_back(groupEntry(group, i));
            ++i;
        }
    }
    indexIds();
}

void Configuration::indexIds() {
    ids_.clear();
    first_.clear();
    first_.reserve(groups_.size());
    firstOfId_.resize(groups_.size());
    for (std::size_t at = 0; at < groups_.size(); ++at) {
        firstOfId_[at] = at;
        const std::string_view id = groups_[at].id;
        if (id.empty()) continue;
        const auto [found, added] = first_.emplace(id, at);
        if (added) {
            ids_.push_back(id);
        } else {
            firstOfId_[at] = found->second;
        }
    }
}

bool Configuration::rereadGroup(std::size_t index, JsonView now) {
    ConfigGroup* entry = singleGroup_ ? nullptr : entryAt(groups_, index);
    if (entry == nullptr || !now.isObject()) return false;
    const std::string_view oldId = entry->id;  // a view of the old value, still alive
    *entry = groupEntry(now, index);
    if (entry->id != oldId) {
        // The edited id may have been, or become, the first of its kind.
        indexIds();
        return true;
    }
    // The same id: where this group defines it first, the views of the id
    // move to the new value's text. Views are told apart by address, which
    // reads no other group's text.
    const auto first = first_.find(oldId);
    const std::size_t at = static_cast<std::size_t>(entry - groups_.data());
    if (oldId.empty() || first == first_.end() || first->second != at) return true;
    first_.erase(first);
    first_.emplace(entry->id, at);
    for (std::string_view& id : ids_) {
        if (id.data() == oldId.data()) {
            id = entry->id;
            break;
        }
    }
    return true;
}

bool Configuration::rereadBridge(std::size_t index, JsonView now) {
    ConfigBridge* entry = entryAt(bridges_, index);
    if (entry == nullptr || !now.isObject()) return false;
    *entry = bridgeEntry(now, index);
    return true;
}

namespace {

// Replaces the entries of elements [first, first + removed) by those read
// from the `added` elements now in their place, and moves every other entry
// to its element's new index and address (the array may have been
// reallocated).
template <typename Entry, typename Read>
void splice(std::vector<Entry>& entries, const std::vector<JsonView>& elements, std::size_t first,
            std::size_t removed, std::size_t added, Read read) {
    const auto from = firstFrom(entries.begin(), entries.end(), first);
    const auto to = firstFrom(from, entries.end(), first + removed);
    std::vector<Entry> fresh;
    for (std::size_t i = first; i < first + added; ++i) {
        if (elements[i].isObject()) fresh.push_back(read(elements[i], i));
    }
    const auto after = entries.insert(entries.erase(from, to), fresh.begin(), fresh.end()) +
                       static_cast<std::ptrdiff_t>(fresh.size());
    for (auto at = after; at != entries.end(); ++at) at->index = at->index - removed + added;
    for (Entry& entry : entries) entry.value = elements[entry.index];
}

bool fitsSplice(const std::vector<JsonView>& elements, std::size_t first, std::size_t added) {
    return first <= elements.size() && added <= elements.size() - first;
}

}  // namespace

bool Configuration::spliceGroups(const std::vector<JsonView>& elements, std::size_t first,
                                 std::size_t removed, std::size_t added) {
    if (singleGroup_ || !hasGroups_ || !fitsSplice(elements, first, added)) return false;
    splice(groups_, elements, first, removed, added, groupEntry);
    indexIds();
    return true;
}

bool Configuration::spliceBridges(const std::vector<JsonView>& elements, std::size_t first,
                                  std::size_t removed, std::size_t added) {
    if (singleGroup_ || !hasGroups_ || !fitsSplice(elements, first, added)) return false;
    splice(bridges_, elements, first, removed, added, bridgeEntry);
    return true;
}

void Configuration::readBridges(JsonView bridging) {
    // Without a "groups" array there is nothing to resolve bridges against.
    const JsonView groups = bridging.member("groups");
    if (!groups.isArray()) return;
    hasGroups_ = true;
    readGroups(groups);
    const JsonView bridges = bridging.member("bridges");
    if (!bridges.isArray()) return;
    bridges_.reserve(bridges.size());
    std::size_t i = 0;
    for (const JsonView bridge : bridges.elements()) {
        if (bridge.isObject()) bridges_.push_back(bridgeEntry(bridge, i));
        ++i;
    }
}

const ConfigGroup& Configuration::firstWithSameId(const ConfigGroup& group) const {
    // Told by address whether the entry is one of ours.
    const std::less<const ConfigGroup*> before;
    const ConfigGroup* const begin = groups_.data();
    if (before(&group, begin) || !before(&group, begin + groups_.size())) return group;
    const auto at = static_cast<std::size_t>(&group - begin);
    return at < firstOfId_.size() ? groups_[firstOfId_[at]] : group;
}

const ConfigGroup* Configuration::group(std::string_view id) const {
    const auto found = first_.find(id);
    return found == first_.end() ? nullptr : &groups_[found->second];
}

std::vector<std::pair<std::size_t, std::size_t>> Configuration::referencesTo(
    std::string_view id) const {
    std::vector<std::pair<std::size_t, std::size_t>> found;
    for (std::size_t b = 0; b < bridges_.size(); ++b) {
        const auto& references = bridges_[b].references;
        for (std::size_t r = 0; r < references.size(); ++r) {
            if (references[r].groupId == id) found.emplace_back(b, r);
        }
    }
    return found;
}

std::unordered_map<std::string_view, std::size_t> Configuration::referencingBridgeCounts() const {
    std::unordered_map<std::string_view, std::size_t> counts;
    // The bridge that last counted each id, so repeats inside one bridge
    // count once.
    std::unordered_map<std::string_view, std::size_t> lastBridge;
    for (std::size_t b = 0; b < bridges_.size(); ++b) {
        for (const auto& reference : bridges_[b].references) {
            const auto [seen, inserted] = lastBridge.emplace(reference.groupId, b);
            if (!inserted && seen->second == b) continue;
            seen->second = b;
            ++counts[reference.groupId];
        }
    }
    return counts;
}

std::string Configuration::serverPointer() const {
    return serverBase_;
}

namespace {

using Tokens = std::vector<std::string>;

// The tokens after `base` when the pointer starts with it.
std::optional<Tokens> tokensAfter(const Tokens& tokens, std::string_view base) {
    const auto prefix = splitPointer(base);
    if (!prefix || prefix->size() > tokens.size() ||
        !std::equal(prefix->begin(), prefix->end(), tokens.begin())) {
        return std::nullopt;
    }
    return Tokens(tokens.begin() + static_cast<std::ptrdiff_t>(prefix->size()), tokens.end());
}

ConfigPlace groupPlace(std::size_t index, const Tokens& rest) {
    ConfigPlace place{ConfigPlace::Group, index, 0, 0};
    if (rest == Tokens{"type"}) place.kind = ConfigPlace::GroupType;
    if (rest == Tokens{"bridgeTargetOutputDetail", "mode"}) {
        place.kind = ConfigPlace::GroupOutputMode;
    }
    return place;
}

ConfigPlace bridgingPlace(const Tokens& rest) {
    if (rest.size() < 2) return {};
    const auto index = arrayIndexOf(rest[1]);
    if (!index) return {};
    const Tokens inside(rest.begin() + 2, rest.end());
    if (rest[0] == "groups") return groupPlace(*index, inside);
    if (rest[0] != "bridges") return {};
    ConfigPlace place{ConfigPlace::Bridge, 0, *index, 0};
    if (inside.size() == 2 && inside[0] == "groups") {
        if (const auto position = arrayIndexOf(inside[1])) {
            place.kind = ConfigPlace::GroupReference;
            place.position = *position;
        }
    }
    return place;
}

}  // namespace

ConfigPlace Configuration::placeOf(std::string_view pointer) const {
    const auto tokens = splitPointer(pointer);
    if (!tokens) return {};
    if (serverInDocument_) {
        const auto rest = tokensAfter(*tokens, serverBase_);
        if (rest && *rest == Tokens{"mode"}) return {ConfigPlace::ServerMode, 0, 0, 0};
    }
    if (singleGroup_) return groupPlace(0, *tokens);
    if (!hasGroups_) return {};
    const auto rest = tokensAfter(*tokens, base_);
    return rest ? bridgingPlace(*rest) : ConfigPlace{};
}

std::string Configuration::groupPointer(std::size_t index) const {
    if (singleGroup_) return {};
    return base_ + "/groups/" + std::to_string(index);
}

std::string Configuration::groupIdPointer(std::size_t index) const {
    return groupPointer(index) + "/id";
}

std::string Configuration::bridgePointer(std::size_t index) const {
    return base_ + "/bridges/" + std::to_string(index);
}

std::string Configuration::referencePointer(std::size_t bridgeIndex, std::size_t position) const {
    return bridgePointer(bridgeIndex) + "/groups/" + std::to_string(position);
}

}  // namespace OrvexConfigValidate
