#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/SiteRules.hpp>

#include "siterules/SiteRuleSet.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

json rule(json extra) {
    json out = {{"code", "site_x"},
                {"severity", "error"},
                {"description", "d"},
                {"given", "group"},
                {"then", json::object()}};
    for (auto& [key, value] : extra.items()) {
        if (value.is_null()) {
            out.erase(key);
        } else {
            out[key] = value;
        }
    }
    return out;
}

// Each rule the project file gets wrong is left out, with one problem at
// the place that says why.
TEST(SiteRuleReader, RulesTheFileGetsWrongAreReportedAtTheirPlace) {
    struct Case {
        json rules;
        std::string pointer;  // "" when the rule is read
    };
    const std::vector<Case> cases = {
        {json::array({rule({})}), ""},
        {json::array({rule({{"code", "x_loss"}})}), "/rules/0/code"},
        {json::array({rule({{"code", "site_"}})}), "/rules/0/code"},
        {json::array({rule({{"code", "site_Upper"}})}), "/rules/0/code"},
        {json::array({rule({}), rule({})}), "/rules/1/code"},
        {json::array({rule({{"severity", "fatal"}})}), "/rules/0/severity"},
        {json::array({rule({{"given", "groups"}})}), "/rules/0/given"},
        {json::array({rule({{"description", nullptr}})}), "/rules/0"},
        {json::array({rule({{"then", 5}})}), "/rules/0/then"},
        {json::array({rule({{"when", {{"minimum", "x"}}}})}), "/rules/0/when"},
        {json::array({rule({{"then", {{"$ref", "other.json"}}}})}), "/rules/0/then"},
        {json::array({rule({{"then", nullptr}})}), "/rules/0"},
        {json::array({rule({{"then", nullptr}, {"unique", "rx/port"}})}), "/rules/0/unique"},
        {json::array({rule({{"then", nullptr}, {"count", json::object()}})}), "/rules/0/count"},
        {json::array({rule({{"then", nullptr}, {"sum", {{"of", "/a"}, {"maximum", "3"}}}})}),
         "/rules/0/sum/maximum"},
        {json::array({rule({{"profiles", {"nowhere"}}})}), "/rules/0/profiles/0"},
        {json::array({5}), "/rules/0"},
        {json::object(), "/rules"},
    };
    for (const Case& c : cases) {
        std::vector<Issue> problems;
        const auto set = readSiteRules(c.rules, problems);
        SCOPED_TRACE(c.rules.dump());
        if (c.pointer.empty()) {
            EXPECT_TRUE(problems.empty());
            ASSERT_NE(set, nullptr);
            EXPECT_EQ(siteRuleCodes(*set), std::vector<std::string>{"site_x"});
            continue;
        }
        ASSERT_FALSE(problems.empty());
        EXPECT_EQ(problems.back().pointer, c.pointer);
        EXPECT_EQ(problems.back().code, kInvalidSiteRuleCode);
        if (c.rules.size() == 1) {
            EXPECT_EQ(set, nullptr);
        }
    }
}

TEST(SiteRuleReader, MoreRulesThanTheBoundAreNotRead) {
    json rules = json::array();
    for (std::size_t i = 0; i <= kMaxSiteRules; ++i)
        rules.push_back(rule({{"code", "site_r" + std::to_string(i)}}));
    std::vector<Issue> problems;
    const auto set = readSiteRules(rules, problems);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->rules.size(), kMaxSiteRules);
    ASSERT_EQ(problems.size(), 1U);
    EXPECT_EQ(problems[0].pointer, "/rules");
}

TEST(SitePathPattern, MatchesAsDocumented) {
    struct Case {
        const char* pattern;
        const char* path;
        bool matches;
    };
    const std::vector<Case> cases = {
        {"prod/**", "prod/a/b/orvexbridged_conf.json", true},
        {"prod/**", "production/orvexbridged_conf.json", false},
        {"**/orvexbridged_conf.json", "orvexbridged_conf.json", true},
        {"**/orvexbridged_conf.json", "a/b/orvexbridged_conf.json", true},
        {"*/orvexbridged_conf.json", "a/b/orvexbridged_conf.json", false},
        {"*/orvexbridged_conf.json", "a/orvexbridged_conf.json", true},
        {"site-?/*", "site-1/x.json", true},
        {"site-?/*", "site-12/x.json", false},
        {"a?b", "a/b", false},
        {"**", "", true},
        {"*", "a/b", false},
        {"a/**/b", "a/b", true},
        {"a/**/b", "a/x/y/b", true},
        {"a/**/b", "a/xb", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sitePathMatches(c.pattern, c.path), c.matches) << c.pattern << " " << c.path;
}

// A rule set that needs more work than the documents buy stops with one
// issue, soon, whatever the rules ask.
TEST(SiteRuleRun, WorkIsBoundedByTheDocuments) {
    // Each level names the one below twice: small to write, 2^24 to judge.
    json definitions = {{"d0", {{"required", {"never"}}}}};
    for (int depth = 1; depth <= 24; ++depth) {
        const json below = {{"$ref", "#/definitions/d" + std::to_string(depth - 1)}};
        definitions["d" + std::to_string(depth)] = {{"anyOf", json::array({below, below})}};
    }
    const json nested = {{"$ref", "#/definitions/d24"}, {"definitions", definitions}};
    json rules = json::array();
    for (std::size_t i = 0; i < kMaxSiteRules; ++i)
        rules.push_back(rule({{"code", "site_r" + std::to_string(i)}, {"then", nested}}));
    std::vector<Issue> problems;
    const auto set = readSiteRules(rules, problems);
    ASSERT_NE(set, nullptr);
    json bridges = {{"groups", json::array()}};
    for (int i = 0; i < 50; ++i) bridges["groups"].push_back({{"id", "g"}, {"type", 1}});
    SiteRuleInput input;
    input.bridges = bridges;
    ValidationResult result;
    const auto start = std::chrono::steady_clock::now();
    applySiteRules(*set, input, result);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    ASSERT_FALSE(result.issues.empty());
    EXPECT_EQ(result.issues.back().code, IssueCode::kSchemaEngine);
}

}  // namespace
}  // namespace OrvexConfigValidate
