// What a configuration of the bridging server is, in one place: where the
// server, the groups and the bridges sit in each kind of document, and the
// names of the format's enumerations. The rules, the text functions, the
// tool and the language server all read documents through this model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/Document.hpp>

namespace OrvexConfigValidate {

// Server "mode".
enum OpMode : std::int32_t {
    omRaw = 0,
    omMultistream = 1,
    omMixedStream = 2,
    omADictatedByGroup = 3,
};

// Group "type".
enum GroupType : std::int32_t {
    gtUnknown = 0,
    gtAudio = 1,
    gtPresence = 2,
    gtRaw = 3,
};

// A group's "bridgeTargetOutputDetail" "mode" (BOM).
enum BridgingOpMode : std::int32_t {
    bomRaw = 0,
    bomMultistream = 1,
    bomMixedStream = 2,
    bomNone = 3,
};

// The enumerator's name ("omRaw", "gtAudio", "bomNone"), or empty for a value
// outside the enumeration.
std::string_view opModeName(std::int64_t value);
std::string_view groupTypeName(std::int64_t value);
std::string_view bridgingOpModeName(std::int64_t value);

// The file names a deployment folder uses, and the server member that names
// its bridges file.
inline constexpr char kServerFileName[] = "orvexbridged_conf.json";
inline constexpr char kBridgesFileName[] = "bridges.json";
inline constexpr char kBridgesFileMember[] = "bridgingConfigurationFileName";
inline constexpr char kServerSchemaId[] = "BridgingServerConfiguration";
inline constexpr char kBridgesSchemaId[] = "BridgingConfiguration";
inline constexpr char kEnvelopeSchemaId[] = "Obs";
inline constexpr char kGroupSchemaId[] = "Group";

// The schema a file of this name follows when nothing else says ("" for
// none): the server file and the default bridges file.
std::string schemaIdForFileName(std::string_view path);

// How a member of a document that may break its schema is read: absent or
// mistyped reads as the default. A JSON integer reads as its low 32 bits, as
// the server reads it; a float is mistyped even when integral (2.0 is not 2).
std::optional<std::int32_t> readInt32(JsonView value);

struct ConfigGroup {
    std::size_t index = 0;  // position in "groups", skipped elements counted
    JsonView value;
    std::string_view id;    // "" when absent or not a string
    std::string_view name;  // "" when absent or not a string
    std::int32_t type = gtUnknown;
    std::int32_t outputMode = bomRaw;  // bridgeTargetOutputDetail.mode
};

struct ConfigGroupReference {
    std::size_t position = 0;  // in the bridge's "groups", skipped entries counted
    std::string_view groupId;
};

struct ConfigBridge {
    std::size_t index = 0;  // position in "bridges", skipped elements counted
    JsonView value;
    std::string_view id;
    std::string_view name;
    bool enabled = true;  // false only for "enabled": false
    // "groups" is a non-empty array; its string entries are the references.
    bool namesGroups = false;
    std::vector<ConfigGroupReference> references;
};

// What a pointer names in a configuration document.
struct ConfigPlace {
    enum Kind {
        Other,
        ServerMode,       // the server "mode"
        Group,            // a group object (or inside it, see the kinds below)
        GroupType,        // a group's "type"
        GroupOutputMode,  // a group's "bridgeTargetOutputDetail" "mode"
        Bridge,           // a bridge object or something inside it
        GroupReference,   // an entry of a bridge's "groups"
    };
    Kind kind = Other;
    std::size_t group = 0;     // index in "groups", for the group kinds
    std::size_t bridge = 0;    // index in "bridges", for Bridge and GroupReference
    std::size_t position = 0;  // entry of the bridge's "groups", for GroupReference
};

// One document read as a configuration. Views point into the document,
// which must outlive the model and stay unchanged.
class Configuration {
  public:
    // Reads a document of the given schema id: "Obs", "BridgingConfiguration",
    // "BridgingServerConfiguration" or "Group"; any other id has neither
    // server nor groups.
    Configuration(std::string_view schemaId, JsonView document);
    // A server's settings and a bridges document held apart (an editor's two
    // files): pointers are those of the bridges document.
    static Configuration ofPair(JsonView server, JsonView bridging);

    // The server settings, or an absent view when the document has none.
    JsonView server() const { return server_; }
    // Whether the server settings are part of the document read, so that
    // serverPointer() names them (not so for ofPair).
    bool serverInDocument() const { return serverInDocument_; }
    // The server "mode"; omRaw without a server, omADictatedByGroup for a
    // bridges file or a group judged alone.
    std::int32_t serverMode() const { return mode_; }
    // False when there is no "groups" array (nothing is then checked).
    bool hasGroups() const { return hasGroups_; }

    const std::vector<ConfigGroup>& groups() const { return groups_; }
    const std::vector<ConfigBridge>& bridges() const { return bridges_; }

    // The first group object defining a non-empty id, or null.
    const ConfigGroup* group(std::string_view id) const;
    // The first group with the same id as `group`, an entry of groups():
    // itself when it is the first or has no id. Known from the index, so
    // that judging every group reads no id twice.
    const ConfigGroup& firstWithSameId(const ConfigGroup& group) const;
    // The ids in the order of their first definition.
    const std::vector<std::string_view>& groupIds() const { return ids_; }
    // Every reference to an id, in bridge and entry order, as (bridge,
    // reference) positions into bridges().
    std::vector<std::pair<std::size_t, std::size_t>> referencesTo(std::string_view id) const;
    // For every id named by a bridge, how many bridges name it (a bridge
    // naming it twice counts once); one pass over all references.
    std::unordered_map<std::string_view, std::size_t> referencingBridgeCounts() const;

    // What the pointer names, by the layout of this kind of document.
    ConfigPlace placeOf(std::string_view pointer) const;

    // RFC 6901 pointers into the document read.
    std::string serverPointer() const;
    std::string groupPointer(std::size_t index) const;
    // The group's "id" value, where a rename of the id writes.
    std::string groupIdPointer(std::size_t index) const;
    std::string bridgePointer(std::size_t index) const;
    std::string referencePointer(std::size_t bridgeIndex, std::size_t position) const;

    // After element `index` of the document's "groups" (or "bridges") was
    // replaced by `now`, reads it, so that an edit of one element need not
    // read all the others. The old value must still be alive: the model lets
    // go of its views here. False, and the model is then to be made anew,
    // when the element was or has become something other than an object, or
    // the document is not a bridging document.
    bool rereadGroup(std::size_t index, JsonView now);
    bool rereadBridge(std::size_t index, JsonView now);
    // After elements `first` to `first + removed` of the document's "groups"
    // (or "bridges") array were replaced by `added` new ones, reads only the
    // new ones and points the others at their new places, so that adding or
    // removing an element need not read all the others. `elements` are that
    // array's elements as they are now; the removed values may already be
    // gone, as their entries are dropped unread. False, and the model is
    // then to be made anew, when the document is not a bridging document
    // with that array or `elements` cannot hold the new ones.
    bool spliceGroups(const std::vector<JsonView>& elements, std::size_t first, std::size_t removed,
                      std::size_t added);
    bool spliceBridges(const std::vector<JsonView>& elements, std::size_t first,
                       std::size_t removed, std::size_t added);

  private:
    Configuration() = default;
    void readGroups(JsonView groups);
    void readBridges(JsonView bridging);
    void indexIds();

    JsonView server_;
    std::int32_t mode_ = omRaw;
    bool hasGroups_ = false;
    bool singleGroup_ = false;
    std::string base_;        // pointer of the bridging document
    std::string serverBase_;  // pointer of the server settings
    bool serverInDocument_ = false;
    std::vector<ConfigGroup> groups_;
    std::vector<ConfigBridge> bridges_;
    std::vector<std::string_view> ids_;
    std::unordered_map<std::string_view, std::size_t> first_;  // id -> position in groups_
    std::vector<std::size_t> firstOfId_;  // per entry of groups_: first_ of its id, or itself
};

}  // namespace OrvexConfigValidate
