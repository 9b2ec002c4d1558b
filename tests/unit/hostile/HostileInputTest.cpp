// Inputs meant to break the library: extreme nesting, odd bytes in keys and
// strings, numbers at the edges of what the JSON type holds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

constexpr int kDepth = 100000;

// An array nested kDepth levels deep, built without recursion.
json deepArray() {
    json value = json::array();
    for (int i = 0; i < kDepth; ++i) {
        json outer = json::array();
        outer.push_back(std::move(value));
        value = std::move(outer);
    }
    return value;
}

// An object nested kDepth levels deep under the key "k".
json deepObject() {
    json value = json::object();
    for (int i = 0; i < kDepth; ++i) {
        json outer = json::object();
        outer["k"] = std::move(value);
        value = std::move(outer);
    }
    return value;
}

bool hasCode(const ValidationResult& result, const std::string& code) {
    for (const auto& issue : result.issues) {
        if (issue.code == code) return true;
    }
    return false;
}

void expectWellFormed(const ValidationResult& result) {
    for (const auto& issue : result.issues) {
        EXPECT_FALSE(issue.path.empty());
        EXPECT_FALSE(issue.code.empty());
    }
}

using DeepMaker = json (*)();

// The deep value placed where each kind of document holds free-form content,
// where a schema constrains the type, and as the whole document. Every deep
// value is freshly built and moved in: copying one would itself recurse.
std::vector<json> documentsAround(DeepMaker deep) {
    auto group = [deep] {
        json g = {{"id", "g1"}, {"type", 1}};
        g["tx"]["payload"] = deep();
        g["name"] = deep();
        return g;
    };
    auto bridging = [&] {
        json b = json::object();
        b["groups"] = json::array();
        b["groups"].push_back(group());
        b["groups"].push_back(deep());
        json bridge = {{"id", "b"}};
        bridge["groups"] = deep();
        b["bridges"] = json::array();
        b["bridges"].push_back(std::move(bridge));
        b["bridges"].push_back(deep());
        return b;
    };
    auto server = [deep] {
        json s = json::object();
        s["enginePolicy"]["internals"] = deep();
        s["mode"] = deep();
        s["nsm"] = deep();
        return s;
    };
    std::vector<json> documents;
    documents.push_back(deep());
    documents.push_back(group());
    documents.push_back(bridging());
    documents.push_back(server());
    json obs = json::object();
    obs["server"] = server();
    obs["bridges"] = bridging();
    documents.push_back(std::move(obs));
    json address = {{"port", 1}};
    address["address"] = deep();
    documents.push_back(std::move(address));
    return documents;
}

TEST(HostileNesting, HundredThousandLevelsInEveryKindAndEverySchemaReturnNormally) {
    for (DeepMaker deep : {&deepArray, &deepObject}) {
        for (const json& document : documentsAround(deep)) {
            for (const std::string& id : schemaIds()) {
                const ValidationResult result = validate(id, document, ValidateOptions{});
                expectWellFormed(result);
                EXPECT_FALSE(hasCode(result, "schema_engine")) << id;
            }
        }
    }
}

TEST(HostileNesting, DeepGroupStillGetsItsSemanticRules) {
    json group = {{"id", "g1"}, {"type", 1}};
    group["tx"]["payload"] = deepObject();
    const ValidationResult result = validate("Group", group, ValidateOptions{});
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_EQ(result.issues[0].code, "bom_type_mismatch");
    EXPECT_EQ(result.issues[0].path, "/bridges/groups/0 (id=g1)");
    EXPECT_FALSE(result.ok);
}

TEST(HostileKeys, SlashTildeAndNulInKeysGiveResultsWithPaths) {
    const std::string nulKey("n\0l", 3);
    const json bridging = {{"bridges", json::array({{{"lossGraceMs", -1}}})}};
    const json withKeys = {{"a/b", {{"~x", {{nulKey, bridging}}}}}, {nulKey, 1}};
    for (const std::string& id : schemaIds()) {
        expectWellFormed(validate(id, withKeys, ValidateOptions{}));
    }
    // The envelope admits only "server" and "bridges".
    const ValidationResult obs = validate("Obs", withKeys, ValidateOptions{});
    EXPECT_FALSE(obs.ok);
    EXPECT_TRUE(hasCode(obs, "schema"));
}

TEST(HostileKeys, InvalidUtf8InIdsAndKeysIsCarriedThroughWithoutThrowing) {
    const std::string bad = "\xff\xfe\xc3";  // not UTF-8: the parser would reject it
    json bridging = {
        {"groups", json::array({{{"id", bad},
                                 {"type", 1},
                                 {"bridgeTargetOutputDetail", {{"mode", 1}}},
                                 {"tx", {{bad, 1}}}}})},
        {"bridges", json::array({{{"id", bad + "b"}, {"groups", json::array({bad, "x\xff"})}}})}};
    const ValidationResult result = validate("BridgingConfiguration", bridging, ValidateOptions{});
    expectWellFormed(result);
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_EQ(result.issues[0].code, "missing_group_ref");
    EXPECT_EQ(result.issues[0].path, "/bridges/bridges/0 (id=" + bad + "b)/groups/1");
    EXPECT_EQ(result.issues[0].message,
              "Bridge references group id 'x\xff' which has no definition");
}

TEST(HostileNumbers, ModeBeyond32BitsKeepsItsLowBitsForTheRules) {
    // 4294967298 = 2^32 + 2: the schema rejects it, the rules read mode 2.
    json obs = {
        {"server", {{"enginePolicy", json::object()}, {"mode", 4294967298ULL}}},
        {"bridges", {{"groups", json::array({{{"id", "g"}, {"type", 3}, {"tx", {{"a", 1}}}}})}}}};
    const ValidationResult result = validate("Obs", obs, ValidateOptions{});
    expectWellFormed(result);
    EXPECT_TRUE(hasCode(result, "schema"));
    EXPECT_TRUE(hasCode(result, "mode_requires_audio_group"));
    for (const auto& issue : result.issues) {
        if (issue.code == "mode_requires_audio_group") {
            EXPECT_EQ(issue.message, "Server mode 2 requires group type gtAudio (1); found type 3");
        }
    }
}

TEST(HostileNumbers, EdgeValuesAreResultsNotExceptions) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<json> values = {json(std::numeric_limits<std::int64_t>::min()),
                                      json(std::numeric_limits<std::uint64_t>::max()),
                                      json(inf),
                                      json(-inf),
                                      json(std::nan("")),
                                      json(-0.0),
                                      json::parse("-0"),
                                      json::parse("1e308"),
                                      json(1.0)};
    for (const json& v : values) {
        json group = {{"id", "g"},
                      {"type", v},
                      {"bridgeTargetOutputDetail", {{"mode", v}}},
                      {"vortapoints", json::array({{{"host", {{"port", v}}}}})}};
        json obs = {
            {"server", {{"enginePolicy", json::object()}, {"mode", v}}},
            {"bridges",
             {{"groups", json::array({group})}, {"bridges", json::array({{{"lossGraceMs", v}}})}}}};
        for (const std::string& id : schemaIds()) {
            expectWellFormed(validate(id, obs, ValidateOptions{}));
            expectWellFormed(validate(id, group, ValidateOptions{}));
        }
    }
}

TEST(HostileNumbers, NegativeZeroPortIsAccepted) {
    EXPECT_TRUE(validate("NetworkAddress", json::parse(R"({"port": -0})"), ValidateOptions{}).ok);
    EXPECT_FALSE(
        validate("NetworkAddress", json::parse(R"({"port": 65536})"), ValidateOptions{}).ok);
}

}  // namespace
}  // namespace OrvexConfigValidate
