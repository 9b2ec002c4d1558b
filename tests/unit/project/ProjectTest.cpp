// The project file's pieces that the end-to-end test cannot reach one by
// one: path patterns, expiry days, entries written into and removed from a
// text, and occurrences where a key comes back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Project.hpp>

#include "project/ProjectText.hpp"

namespace OrvexConfigValidate {
namespace {

TEST(ProjectPatterns, StarsStayWithinNamesUnlessDoubled) {
    struct Case {
        const char* pattern;
        const char* path;
        bool matches;
    };
    const Case cases[] = {
        {"*.json", "bridges.json", true},
        {"*.json", "site/bridges.json", false},
        {"**/bridges.json", "bridges.json", true},
        {"**/bridges.json", "a/b/bridges.json", true},
        {"lab/**", "lab/x/bridges.json", true},
        {"lab/**", "labs/bridges.json", false},
        {"site-?/bridges.json", "site-a/bridges.json", true},
        {"site-?/bridges.json", "site-ab/bridges.json", false},
        {"", "", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pathPatternMatches(c.pattern, c.path), c.matches) << c.pattern << " " << c.path;
    }
    // Many stars against a long name stay quick: the match is a table, not a search.
    EXPECT_FALSE(pathPatternMatches(std::string(2000, '*') + "x", std::string(2000, 'a')));
}

TEST(ProjectExpiry, TheLastDayHoldsAndAMalformedDayHasPassed) {
    struct Case {
        const char* expires;
        bool expired;
    };
    const Case cases[] = {{"", false},          {"2026-12-11", false}, {"2026-12-12", false},
                          {"2026-12-10", true}, {"2026-02-30", true},  {"2028-02-29", false},
                          {"2100-02-29", true}, {"2026-13-01", true},  {"26-12-11", true},
                          {"2026-12-1x", true}};
    for (const Case& c : cases) {
        EXPECT_EQ(expired(c.expires, "2026-12-11"), c.expired) << c.expires;
    }
}

IssueIdentity groupIssue(const std::string& id) {
    return {"group_no_networking", "bridges.json", "group", id, "", 0};
}

TEST(ProjectEntries, AddedEntriesReadBackAndRemoveCleanly) {
    const std::vector<std::string> starts = {"", "{}", "{\n  \"severities\": []\n}\n",
                                             "{\"accept\": []}",
                                             "{\"accept\": [{\"code\": \"schema\", \"file\": "
                                             "\"a.json\", \"reason\": \"r\"}]}"};
    for (const std::string& start : starts) {
        // The second call adds nothing: an entry already names the identity.
        std::string text =
            addAcceptEntries(start, {groupIssue("{a}"), groupIssue("{b\"}")}, "why", "2027-01-01");
        text = addAcceptEntries(text, {groupIssue("{a}")}, "again", "");
        const nlohmann::json document = nlohmann::json::parse(text);
        const auto& list = document.at("accept");
        const std::size_t before =
            start.empty()
                ? 0
                : nlohmann::json::parse(start).value("accept", nlohmann::json::array()).size();
        ASSERT_EQ(list.size(), before + 2) << text;
        EXPECT_EQ(list[before]["id"], "{a}");
        EXPECT_EQ(list[before + 1]["id"], "{b\"}");
        EXPECT_EQ(list[before + 1]["expires"], "2027-01-01");
        // Removing any run of entries leaves JSON with exactly the others.
        for (std::size_t gone = 0; gone < list.size(); ++gone) {
            const ParsedText parsed = parseText(text);
            const std::string left = applyEdits(
                text, removeEntries(parsed, {"/accept/" + std::to_string(gone),
                                             "/accept/" + std::to_string(list.size() - 1)}));
            const nlohmann::json after = nlohmann::json::parse(left);
            EXPECT_EQ(after["accept"].size(),
                      gone + 1 == list.size() ? list.size() - 1 : list.size() - 2)
                << left;
        }
    }
}

TEST(ProjectIdentities, OccurrencesOnlyWhereAKeyRepeats) {
    Project project;
    project.folder = "deploy";
    ProjectJudge judge(project, "2026-12-11");
    ValidationResult result;
    result.issues.resize(3);
    const std::vector<IssueKey> keys = {{"duplicate_group_id", 1, "group", "{x}", ""},
                                        {"duplicate_group_id", 1, "group", "{x}", ""},
                                        {"group_no_networking", 1, "group", "{x}", ""}};
    const std::vector<IssueIdentity> identities = judge.identities(
        result, keys, {"deploy/orvexbridged_conf.json", "deploy/site/bridges.json"});
    ASSERT_EQ(identities.size(), 3U);
    EXPECT_EQ(identities[0].occurrence, 1U);
    EXPECT_EQ(identities[1].occurrence, 2U);
    EXPECT_EQ(identities[2].occurrence, 0U);
    EXPECT_EQ(identities[2].file, "site/bridges.json");
    EXPECT_NE(identityText(identities[0]), identityText(identities[1]));
}

}  // namespace
}  // namespace OrvexConfigValidate
