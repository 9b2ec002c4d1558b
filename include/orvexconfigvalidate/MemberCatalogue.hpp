// What each member of the configuration format means: the one table that
// an editor's hover and completion, the reference page and the manual draw
// on. It describes the built-in schemas; a schema directory that replaces
// them is not reflected here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace OrvexConfigValidate {

struct MemberEntry {
    // The schema that names the member, and the member's pointer in a
    // document of that schema; "*" stands for any element of an array.
    std::string schemaId;
    std::string pattern;
    std::string title;        // a few words
    std::string description;  // what the member does
    std::string unit;         // "seconds", "milliseconds", ...; "" when it has none
    // What the server reads when the member is missing or not of its type.
    std::string whenMissing;

    // Read from the built-in schema, not restated:
    std::string type;  // as the schema names it ("integer", "object", "string or null")
    bool required = false;
    // The bounds the schema sets, in words ("0 to 65535", "at least 1", "at
    // least 1 character"); "" when it sets none.
    std::string range;
    // The values the schema allows, each with the name its description gives
    // ("" when it gives none).
    std::vector<std::pair<std::int64_t, std::string>> enumerators;
};

// Every member of the built-in schemas, in a stable order: the server
// file's, the bridges file's, a group's, then the other schemas'; a member
// before the members inside it.
const std::vector<MemberEntry>& memberCatalogue();

// The entry of the member a pointer names in a document of the schema id
// ("/groups/2/vortapoints/0/host/port" in a "BridgingConfiguration"
// document is the "Group" member "/vortapoints/*/host/port"), following the
// schemas' references; nullptr for the document itself, an array element,
// a member no schema names and an unknown id. Time is linear in the
// pointer's length.
const MemberEntry* describeMember(const std::string& schemaId, std::string_view pointer);

}  // namespace OrvexConfigValidate
