#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "model/MemberReaders.hpp"

namespace OrvexConfigValidate {
namespace {

using namespace nlohmann::literals;

TEST(GetIntOr, ReadsSignedAndUnsignedIntegers) {
    const auto value = R"({"a": 7, "b": -3, "c": 0})"_json;
    EXPECT_EQ(getIntOr(value, "a", 99), 7);
    EXPECT_EQ(getIntOr(value, "b", 99), -3);
    EXPECT_EQ(getIntOr(value, "c", 99), 0);
    EXPECT_EQ(getIntOr(nlohmann::json{{"u", 5u}}, "u", 99), 5);
}

TEST(GetIntOr, KeepsTheLowThirtyTwoBitsOfWideIntegers) {
    const auto value = R"({
        "wrapsToSmall": 4294967301,
        "allOnes": 4294967295,
        "hugeUnsigned": 18446744073709551615,
        "belowInt32": -2147483649,
        "int32Min": -2147483648
    })"_json;
    EXPECT_EQ(getIntOr(value, "wrapsToSmall", 0), 5);
    EXPECT_EQ(getIntOr(value, "allOnes", 0), -1);
    EXPECT_EQ(getIntOr(value, "hugeUnsigned", 0), -1);
    EXPECT_EQ(getIntOr(value, "belowInt32", 0), 2147483647);
    EXPECT_EQ(getIntOr(value, "int32Min", 0), -2147483647 - 1);
}

TEST(GetIntOr, AnythingButAJsonIntegerGivesTheDefault) {
    // A float is mistyped even when integral: the server runs 2.0 as the default.
    const auto value = R"({
        "two": 2.0, "negative": -3.0, "exponent": 1e0, "float": 1.5, "string": "1",
        "bool": true, "null": null, "array": [1], "object": {"a": 1}
    })"_json;
    for (const char* key : {"two", "negative", "exponent", "float", "string", "bool", "null",
                            "array", "object", "absent"}) {
        EXPECT_EQ(getIntOr(value, key, -42), -42) << key;
    }
    EXPECT_EQ(getIntOr(R"([1, 2])"_json, "mode", 4), 4);
    EXPECT_EQ(getIntOr(R"(3)"_json, "mode", 4), 4);
}

TEST(GetIntOr, KeysAreCaseSensitive) {
    EXPECT_EQ(getIntOr(R"({"Mode": 2})"_json, "mode", 0), 0);
}

TEST(FindMember, DoesNotInsertAndIgnoresNonObjects) {
    const auto value = R"({"a": 1})"_json;
    EXPECT_EQ(findMember(value, "b"), nullptr);
    EXPECT_EQ(value.size(), 1u);
    ASSERT_NE(findMember(value, "a"), nullptr);
    EXPECT_EQ(*findMember(value, "a"), 1);
    EXPECT_EQ(findMember(R"(["a"])"_json, "a"), nullptr);
    EXPECT_EQ(findMember(nlohmann::json(), "a"), nullptr);
}

TEST(ReadId, StringIdOrEmpty) {
    EXPECT_EQ(readId(R"({"id": "g1"})"_json), "g1");
    EXPECT_EQ(readId(R"({"id": ""})"_json), "");
    EXPECT_EQ(readId(R"({"name": "g1"})"_json), "");
    EXPECT_EQ(readId(R"(["id"])"_json), "");
}

TEST(ReadId, ViewsTheDocumentsOwnString) {
    const auto group = R"({"id": "g1"})"_json;
    EXPECT_EQ(readId(group).data(), group["id"].get_ref<const std::string&>().data());
}

TEST(ReadId, NonStringIdReadsAsAbsent) {
    for (const auto& group :
         {R"({"id": 5})"_json, R"({"id": null})"_json, R"({"id": true})"_json,
          R"({"id": ["g1"]})"_json, R"({"id": {"id": "g1"}})"_json, R"({"id": 1.5})"_json}) {
        EXPECT_EQ(readId(group), "") << group.dump();
    }
}

TEST(IsBridgeEnabled, OnlyBooleanFalseDisables) {
    EXPECT_FALSE(isBridgeEnabled(R"({"enabled": false})"_json));
    EXPECT_TRUE(isBridgeEnabled(R"({"enabled": true})"_json));
    EXPECT_TRUE(isBridgeEnabled(R"({})"_json));
    for (const auto& bridge : {R"({"enabled": null})"_json, R"({"enabled": 0})"_json,
                               R"({"enabled": "false"})"_json, R"({"enabled": []})"_json}) {
        EXPECT_TRUE(isBridgeEnabled(bridge)) << bridge.dump();
    }
}

TEST(NonEmptyMembers, RequireTheExactTypeAndAnElement) {
    const auto group = R"({"a": [0], "e": [], "o": {"k": 1}, "eo": {}, "s": "x"})"_json;
    EXPECT_TRUE(hasNonEmptyArray(group, "a"));
    EXPECT_FALSE(hasNonEmptyArray(group, "e"));
    EXPECT_FALSE(hasNonEmptyArray(group, "o"));
    EXPECT_FALSE(hasNonEmptyArray(group, "s"));
    EXPECT_TRUE(hasNonEmptyObject(group, "o"));
    EXPECT_FALSE(hasNonEmptyObject(group, "eo"));
    EXPECT_FALSE(hasNonEmptyObject(group, "a"));
    EXPECT_FALSE(hasNonEmptyObject(group, "absent"));
}

}  // namespace
}  // namespace OrvexConfigValidate
