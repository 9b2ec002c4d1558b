#include <gtest/gtest.h>

#include <set>
#include <string>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Effective.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace {

using namespace OrvexConfigValidate;
using Json = nlohmann::json;

// Groups of every type and output mode the rules tell apart, written well
// and badly.
Json bridgesFile() {
    Json groups = Json::array();
    for (int type = 0; type <= 3; ++type) {
        for (int outputMode = 0; outputMode <= 3; ++outputMode) {
            groups.push_back({{"id", "g" + std::to_string(type) + std::to_string(outputMode)},
                              {"type", type},
                              {"bridgeTargetOutputDetail", {{"mode", outputMode}}},
                              {"rx", {{"port", 1}}}});
        }
    }
    groups.push_back({{"id", "untyped"}, {"rx", {{"port", 1}}}});
    groups.push_back({{"id", "float"}, {"type", 3.0}, {"bridgeTargetOutputDetail", 2}});
    return {{"groups", groups},
            {"bridges", {{{"id", "b"}, {"groups", {"g00"}}, {"enabled", "no"}}}}};
}

std::set<std::string> forcedGroups(const EffectiveConfiguration& effective,
                                   const std::string& code) {
    std::set<std::string> out;
    for (const EffectiveValue& value : effective.values) {
        if (value.reason != EffectiveValue::Reason::Forced) continue;
        EXPECT_EQ(value.code, code);
        out.insert(
            value.pointer.substr(0, value.pointer.find('/', std::string("/groups/").size())));
    }
    return out;
}

std::set<std::string> notedGroups(const ValidationResult& result, const std::string& code) {
    std::set<std::string> out;
    for (const Issue& issue : result.issues) {
        if (issue.code == code && issue.source == 1) out.insert(issue.pointer);
    }
    return out;
}

TEST(Effective, ForcesExactlyTheGroupsTheCheckNotesUnderEachMode) {
    const Json bridges = bridgesFile();
    const struct {
        int mode;
        const char* code;
    } modes[] = {
        {0, "mode_force_raw"}, {1, "mode_force_multistream"}, {2, "mode_force_mixed"}, {3, ""}};
    for (const auto& each : modes) {
        SCOPED_TRACE(each.mode);
        const Json server = {{"mode", each.mode}};
        const EffectiveConfiguration effective = effectiveConfiguration(&server, &bridges);
        const ValidationResult checked = validateTextPair(server.dump(), bridges.dump(), {});
        EXPECT_EQ(forcedGroups(effective, each.code), notedGroups(checked, each.code));
        if (each.mode != 3) {
            EXPECT_FALSE(notedGroups(checked, each.code).empty());
        }
        // What the server runs draws no such note any more.
        const ValidationResult again =
            validateTextPair(effective.server.dump(), effective.bridges.dump(), {});
        EXPECT_TRUE(notedGroups(again, each.code).empty());
    }
}

TEST(Effective, DefaultsAbsentAndMistypedMembersAsTheRulesReadThem) {
    const Json server = {{"mode", 2.0}};
    const Json bridges = bridgesFile();
    const EffectiveConfiguration effective = effectiveConfiguration(&server, &bridges);
    // 2.0 is mistyped: the server runs omRaw.
    EXPECT_EQ(effective.server["mode"], 0);
    ASSERT_FALSE(effective.values.empty());
    EXPECT_EQ(effective.values[0].reason, EffectiveValue::Reason::Mistyped);
    EXPECT_EQ(effective.values[0].pointer, "/mode");
    EXPECT_EQ(effective.values[0].written, 2.0);

    const Json& untyped = effective.bridges["groups"][16];
    EXPECT_EQ(untyped["bridgeTargetOutputDetail"], (Json{{"mode", 0}}));
    const Json& floatTyped = effective.bridges["groups"][17];
    EXPECT_EQ(floatTyped["type"], 3);  // 3.0 reads as 0, then omRaw forces 3
    EXPECT_EQ(effective.bridges["bridges"][0]["enabled"], true);  // "no" is not false

    std::set<std::string> reasons;
    for (const EffectiveValue& value : effective.values) {
        if (value.pointer.rfind("/groups/17/", 0) == 0 ||
            value.pointer.rfind("/groups/16/", 0) == 0 || value.pointer == "/bridges/0/enabled") {
            reasons.insert(value.pointer + " " + std::to_string(static_cast<int>(value.reason)));
        }
    }
    EXPECT_EQ(reasons, (std::set<std::string>{
                           "/groups/16/type 0",                      // absent
                           "/groups/16/bridgeTargetOutputDetail 0",  // absent
                           "/groups/16/type 2",                      // forced
                           "/groups/17/type 1",                      // mistyped
                           "/groups/17/bridgeTargetOutputDetail 1",  // mistyped
                           "/groups/17/type 2",                      // forced
                           "/bridges/0/enabled 1",                   // mistyped
                       }));
}

}  // namespace
