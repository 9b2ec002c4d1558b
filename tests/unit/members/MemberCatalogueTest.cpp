#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/MemberCatalogue.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace OrvexConfigValidate {
namespace {

struct NamedMember {
    std::string schemaId;
    std::string pattern;  // "*" for array elements
    std::string pointer;  // the same with "0" for them
};

// Every member a schema names under "properties", through "items", without
// following "$ref": a referenced schema's members are its own.
void collectMembers(const std::string& schemaId, const nlohmann::json& node,
                    const std::string& pattern, const std::string& pointer,
                    std::vector<NamedMember>& out) {
    if (!node.is_object()) return;
    if (const auto properties = node.find("properties"); properties != node.end()) {
        for (const auto& member : properties->items()) {
            std::string memberPattern = pattern;
            std::string memberPointer = pointer;
            appendPointerToken(memberPattern, member.key());
            appendPointerToken(memberPointer, member.key());
            out.push_back({schemaId, memberPattern, memberPointer});
            collectMembers(schemaId, member.value(), memberPattern, memberPointer, out);
        }
    }
    if (const auto items = node.find("items"); items != node.end()) {
        collectMembers(schemaId, *items, pattern + "/*", pointer + "/0", out);
    }
}

TEST(MemberCatalogueTest, EveryMemberTheSchemasNameHasOneEntryAndNoEntryIsStale) {
    std::vector<NamedMember> named;
    for (const std::string& id : schemaIds()) {
        // The project file is no configuration the server reads.
        if (id != "Project") collectMembers(id, embeddedSchema(id), "", "", named);
    }
    ASSERT_GT(named.size(), 40u);
    for (const NamedMember& member : named) {
        SCOPED_TRACE(member.schemaId + " " + member.pattern);
        const MemberEntry* entry = describeMember(member.schemaId, member.pointer);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->schemaId, member.schemaId);
        EXPECT_EQ(entry->pattern, member.pattern);
        EXPECT_FALSE(entry->title.empty());
        EXPECT_FALSE(entry->description.empty());
    }
    std::set<std::pair<std::string, std::string>> entries;
    for (const MemberEntry& entry : memberCatalogue()) {
        SCOPED_TRACE(entry.schemaId + " " + entry.pattern);
        EXPECT_TRUE(entries.emplace(entry.schemaId, entry.pattern).second) << "written twice";
        EXPECT_FALSE(entry.type.empty()) << "names no member of its schema";
    }
    EXPECT_EQ(entries.size(), named.size());
}

struct Lookup {
    const char* schemaId;
    const char* pointer;
    const char* entrySchema;  // nullptr: no entry
    const char* pattern;
    const char* type;
    const char* range;
    const char* unit;
    bool required;
};

TEST(MemberCatalogueTest, PointersOfADocumentFindTheirMemberThroughReferences) {
    const Lookup cases[] = {
        {"BridgingConfiguration", "/groups/2/vortapoints/0/host/port", "Group",
         "/vortapoints/*/host/port", "integer", "0 to 65535", "", false},
        {"Obs", "/server/statusUpload/timeoutSecs", "BridgingServerConfiguration",
         "/statusUpload/timeoutSecs", "integer", "at least 1", "seconds", false},
        {"BridgingConfiguration", "/bridges/1/lossGraceMs", "BridgingConfiguration",
         "/bridges/*/lossGraceMs", "integer", "at least 0", "milliseconds", false},
        {"Obs", "/bridges/groups/12/id", "Group", "/id", "string", "at least 1 character", "",
         true},
        {"BridgingServerConfiguration", "/enginePolicy", "BridgingServerConfiguration",
         "/enginePolicy", "object", "", "", true},
        {"Obs", "/server", "Obs", "/server", "object", "", "", true},
        {"BridgingConfiguration", "/groups/0", nullptr, "", "", "", "", false},
        {"BridgingConfiguration", "/groups/first/id", nullptr, "", "", "", "", false},
        {"BridgingConfiguration", "/groups/01/id", nullptr, "", "", "", "", false},
        {"Obs", "/server/nsmNode", nullptr, "", "", "", "", false},
        {"Group", "", nullptr, "", "", "", "", false},
        {"Group", "id", nullptr, "", "", "", "", false},
        {"group", "/id", nullptr, "", "", "", "", false},
        {"enums", "/OpMode", nullptr, "", "", "", "", false},
    };
    for (const Lookup& c : cases) {
        SCOPED_TRACE(std::string(c.schemaId) + " " + c.pointer);
        const MemberEntry* entry = describeMember(c.schemaId, c.pointer);
        if (c.entrySchema == nullptr) {
            EXPECT_EQ(entry, nullptr);
            continue;
        }
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->schemaId, c.entrySchema);
        EXPECT_EQ(entry->pattern, c.pattern);
        EXPECT_EQ(entry->type, c.type);
        EXPECT_EQ(entry->range, c.range);
        EXPECT_EQ(entry->unit, c.unit);
        EXPECT_EQ(entry->required, c.required);
    }
}

// The names the schemas give their values are the ones the rules use.
TEST(MemberCatalogueTest, EnumeratorsCarryTheNamesTheRulesUse) {
    const struct {
        const char* pointer;
        std::string_view (*name)(std::int64_t);
    } cases[] = {
        {"/server/mode", opModeName},
        {"/bridges/groups/0/type", groupTypeName},
        {"/bridges/groups/0/bridgeTargetOutputDetail/mode", bridgingOpModeName},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pointer);
        const MemberEntry* entry = describeMember("Obs", c.pointer);
        ASSERT_NE(entry, nullptr);
        ASSERT_EQ(entry->enumerators.size(), 4u);
        for (const auto& [value, name] : entry->enumerators) EXPECT_EQ(name, c.name(value));
        EXPECT_FALSE(entry->whenMissing.empty());
    }
}

}  // namespace
}  // namespace OrvexConfigValidate
