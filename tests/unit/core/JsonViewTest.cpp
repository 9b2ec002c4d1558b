#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <orvexconfigvalidate/JsonView.hpp>

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

struct NumberRow {
    const char* text;
    JsonKind kind;
    bool integral;
    double number;
};

// The kinds a reader gives numbers decide how the schema stage compares
// them: an integer past 64 bits or any fraction or exponent is a Float.
TEST(JsonView, KindsOfNumbersAsWritten) {
    const std::vector<NumberRow> rows = {
        {"0", JsonKind::Unsigned, true, 0.0},
        {"-1", JsonKind::Integer, true, -1.0},
        {"18446744073709551615", JsonKind::Unsigned, true, 18446744073709551615.0},
        {"-9223372036854775808", JsonKind::Integer, true, -9223372036854775808.0},
        {"18446744073709551616", JsonKind::Float, false, 18446744073709551616.0},
        {"2.0", JsonKind::Float, false, 2.0},
        {"1e2", JsonKind::Float, false, 100.0},
    };
    for (const NumberRow& row : rows) {
        SCOPED_TRACE(row.text);
        const json value = json::parse(row.text);
        const JsonView view(value);
        EXPECT_EQ(view.kind(), row.kind);
        EXPECT_TRUE(view.isNumber());
        EXPECT_EQ(view.isIntegral(), row.integral);
        EXPECT_EQ(view.number(), row.number);
        EXPECT_TRUE(view.numberText().empty());
    }
    const json big = json::parse("18446744073709551615");
    EXPECT_EQ(JsonView(big).unsignedInteger(), UINT64_MAX);
    const json low = json::parse("-9223372036854775808");
    EXPECT_EQ(JsonView(low).integer(), INT64_MIN);
}

// Members come sorted by name bytes, a repeated name once with its last
// value: the order the schema stage walks properties in.
TEST(JsonView, MembersSortedWithARepeatedNameOnceAtItsLastValue) {
    const json object = json::parse(R"({"b": 1, "a": {"z": null}, "B": 2, "b": 3, "": 4})");
    const JsonView view(object);
    ASSERT_EQ(view.size(), 4u);
    std::vector<std::string> names;
    std::vector<std::string> values;
    for (const JsonView::Member member : view.members()) {
        names.emplace_back(member.name());
        values.push_back(member.value().toJson().dump());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"", "B", "a", "b"}));
    EXPECT_EQ(values, (std::vector<std::string>{"4", "2", R"({"z":null})", "3"}));
    EXPECT_EQ(view.member("b").integer(), 3);
    EXPECT_EQ(view.member("a"), JsonView(object["a"]));  // the value itself, not a copy
}

// An absent view is what a missing member reads as: every question on it
// answers "nothing", none throws or reads past the document.
TEST(JsonView, AbsentMembersAndElements) {
    const json document = json::parse(R"({"n": null, "list": [1, "x"], "s": "t"})");
    const JsonView view(document);
    const std::vector<JsonView> absent = {
        JsonView(),
        view.member("missing"),
        view.member("s").member("s"),     // not an object
        view.member("list").element(2),   // past the end
        view.member("list").member("0"),  // an array has no members
        view.element(0),                  // an object has no elements
        view.member("missing").member("deeper"),
    };
    for (std::size_t i = 0; i < absent.size(); ++i) {
        SCOPED_TRACE(i);
        const JsonView missing = absent[i];
        EXPECT_FALSE(missing.exists());
        EXPECT_FALSE(missing);
        EXPECT_FALSE(missing.isNull());
        EXPECT_FALSE(missing.isObject() || missing.isArray() || missing.isString());
        EXPECT_EQ(missing.size(), 0u);
        EXPECT_EQ(missing.members().begin(), missing.members().end());
        EXPECT_EQ(missing.elements().begin(), missing.elements().end());
        EXPECT_EQ(missing.json(), nullptr);
        EXPECT_TRUE(missing.toJson().is_null());
    }
    // A member that is null is present.
    EXPECT_TRUE(view.member("n").exists());
    EXPECT_TRUE(view.member("n").isNull());
    EXPECT_EQ(view.member("list").element(1).string(), "x");
}

// A copy of any depth: a recursive copy would overflow the stack.
TEST(JsonView, CopiesADeepValueWithoutRecursion) {
    constexpr std::size_t kDepth = 100'000;  // arrays, each holding an object
    json deep = json::array();
    json* at = &deep;
    for (std::size_t i = 1; i < kDepth; ++i) {
        at->push_back(json::object());
        at = &at->back();
        (*at)["k"] = json::array({i});
        at = &(*at)["k"];
    }
    const json copy = JsonView(deep).toJson();
    std::size_t depth = 0;
    const json* walk = &copy;
    while (walk->is_array() && !walk->empty()) {
        ++depth;
        const json& last = walk->back();
        if (!last.is_object()) {
            EXPECT_EQ(last, json(kDepth - 1));
            break;
        }
        walk = &last.at("k");
    }
    EXPECT_EQ(depth, kDepth);
}

}  // namespace
}  // namespace OrvexConfigValidate
