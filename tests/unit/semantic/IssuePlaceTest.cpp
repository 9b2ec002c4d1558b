#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Suggestion.hpp"
#include "semantic/SemanticRules.hpp"

namespace OrvexConfigValidate {
namespace {

using namespace nlohmann::literals;

// "<code> <pointer> <id>" per issue, in result order.
std::vector<std::string> places(const ValidationResult& result) {
    std::vector<std::string> lines;
    for (const Issue& issue : result.issues) {
        lines.push_back(issue.code + " " + issue.pointer + " " + issue.id);
    }
    return lines;
}

ValidationResult semantic(const std::string& schemaId, const nlohmann::json& document,
                          bool strict = false) {
    ValidationResult result;
    ValidateOptions options;
    options.strict = strict;
    applySemanticRules(schemaId, document, result, options);
    return result;
}

// Every issue's pointer resolves in the document it was raised for.
void expectPointersResolve(const nlohmann::json& document, const ValidationResult& result) {
    for (const Issue& issue : result.issues) {
        EXPECT_NO_THROW((void)document.at(nlohmann::json::json_pointer(issue.pointer)))
            << issue.code << " at '" << issue.pointer << "'";
        EXPECT_EQ(issue.pointer.find(" (id="), std::string::npos) << issue.pointer;
    }
}

// Groups a (dup of g), b, c named so that each draws a different rule under
// the mode it runs in, and bridges with an empty group list and a dangling
// reference.
nlohmann::json bridgingDocument() {
    return R"({
        "groups": [
            {"id": "g", "type": 1, "tx": {"p": 1}},
            {"id": "g", "type": 3, "tx": {"p": 1}},
            {"type": 1, "bridgeTargetOutputDetail": {"mode": 1}},
            {"id": "m", "type": 0, "tx": {"p": 1}, "bridgeTargetOutputDetail": {"mode": 2}}
        ],
        "bridges": [
            {"id": "e"},
            {"groups": ["g", "G"]},
            {"id": "r", "groups": ["nope"]}
        ]
    })"_json;
}

TEST(IssuePlace, BridgingConfigurationPointsIntoItsOwnArrays) {
    const auto document = bridgingDocument();
    const auto result = semantic("BridgingConfiguration", document);
    EXPECT_EQ(places(result), (std::vector<std::string>{
                                  "bom_type_mismatch /groups/0 g",
                                  "duplicate_group_id /groups/1 g",
                                  "group_no_networking /groups/2 ",
                                  "bom_type_mismatch /groups/3 m",
                                  "bridge_empty_groups /bridges/0 e",
                                  "missing_group_ref /bridges/1/groups/1 ",
                                  "missing_group_ref /bridges/2/groups/0 r",
                              }));
    expectPointersResolve(document, result);
    // The path keeps its own form, id suffix included.
    EXPECT_EQ(result.issues[1].path, "/bridges/groups/1 (id=g)");
    EXPECT_EQ(result.issues[6].path, "/bridges/bridges/2 (id=r)/groups/0");
}

TEST(IssuePlace, ObsPointsBelowItsBridgesMember) {
    for (const int mode : {0, 1, 2, 3}) {
        const nlohmann::json document = {{"server", {{"mode", mode}}},
                                         {"bridges", bridgingDocument()}};
        const auto result = semantic("Obs", document);
        std::set<std::string> codes;
        for (const Issue& issue : result.issues) {
            codes.insert(issue.code);
            EXPECT_EQ(issue.pointer.rfind("/bridges/", 0), 0u) << issue.pointer;
            // The group or bridge named by the pointer carries the issue's id.
            const std::string owner = issue.pointer.substr(0, issue.pointer.find("/groups/", 18));
            const auto& element = document.at(nlohmann::json::json_pointer(owner));
            EXPECT_EQ(element.value("id", std::string()), issue.id) << issue.pointer;
        }
        expectPointersResolve(document, result);
        const std::map<int, std::string> modeCode = {{0, "mode_force_raw"},
                                                     {1, "mode_force_multistream"},
                                                     {2, "mode_force_mixed"},
                                                     {3, "bom_type_mismatch"}};
        EXPECT_EQ(codes.count(modeCode.at(mode)), 1u) << mode;
        if (mode == 1 || mode == 2) {
            EXPECT_EQ(codes.count("mode_requires_audio_group"), 1u) << mode;
        }
        EXPECT_EQ(codes.count("group_no_networking"), 1u);
        EXPECT_EQ(codes.count("missing_group_ref"), 1u);
        EXPECT_EQ(codes.count("bridge_empty_groups"), 1u);
        EXPECT_EQ(codes.count("duplicate_group_id"), 1u);
    }
}

TEST(IssuePlace, ALoneGroupIsTheWholeDocument) {
    const auto document = R"({"id": "solo", "type": 1})"_json;
    const auto result = semantic("Group", document);
    EXPECT_EQ(places(result),
              (std::vector<std::string>{"bom_type_mismatch  solo", "group_no_networking  solo"}));
    EXPECT_EQ(result.issues[0].path, "/bridges/groups/0 (id=solo)");
    expectPointersResolve(document, result);
}

TEST(IssuePlace, ParameterAndSchemaIssuesUseThePathAsPointer) {
    const auto empty = validate("", nlohmann::json::object(), ValidateOptions{});
    ASSERT_EQ(empty.issues.size(), 1u);
    EXPECT_EQ(empty.issues[0].path, "/");
    EXPECT_EQ(empty.issues[0].pointer, "");

    const auto document = R"({"groups": [{"id": "x", "type": "three"}], "bridges": []})"_json;
    const auto result = validate("BridgingConfiguration", document, ValidateOptions{});
    ASSERT_FALSE(result.issues.empty());
    expectPointersResolve(document, result);
    bool sawTypeIssue = false;
    for (const Issue& issue : result.issues) {
        EXPECT_TRUE(issue.hint.empty()) << issue.code;
        sawTypeIssue |= issue.code == "schema" && issue.pointer == "/groups/0/type";
    }
    EXPECT_TRUE(sawTypeIssue);
}

TEST(IssuePlace, AddIssueKeepsEveryFieldOfAnIssue) {
    ValidationResult result;
    Issue issue;
    issue.severity = Severity::Warning;
    issue.path = "p";
    issue.pointer = "/a/0";
    issue.id = "x";
    issue.hint = "h";
    issue.source = 1;
    result.addIssue(issue);
    EXPECT_TRUE(result.ok);
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_EQ(result.issues[0].pointer, "/a/0");
    EXPECT_EQ(result.issues[0].id, "x");
    EXPECT_EQ(result.issues[0].hint, "h");
    EXPECT_EQ(result.issues[0].source, 1);
    issue.severity = Severity::Error;
    result.addIssue(issue);
    EXPECT_FALSE(result.ok);
}

TEST(StrictSuggestions, MissingGroupRefGetsAHintOnlyWhenStrict) {
    const auto document = R"({
        "groups": [{"id": "field-crews", "tx": {"p": 1}, "type": 1,
                    "bridgeTargetOutputDetail": {"mode": 3}},
                   {"id": "g1", "tx": {"p": 1}, "type": 1,
                    "bridgeTargetOutputDetail": {"mode": 3}}],
        "bridges": [{"groups": ["G1", "feild-crews", "g7", "zzzzzz", "x"]}]
    })"_json;
    const auto plain = semantic("BridgingConfiguration", document);
    ASSERT_EQ(plain.issues.size(), 5u);
    for (const Issue& issue : plain.issues) EXPECT_EQ(issue.hint, "") << issue.message;

    const auto strict = semantic("BridgingConfiguration", document, true);
    ASSERT_EQ(strict.issues.size(), 5u);
    EXPECT_EQ(strict.issues[0].hint, "did you mean \"g1\"?");
    EXPECT_EQ(strict.issues[1].hint, "did you mean \"field-crews\"?");
    EXPECT_EQ(strict.issues[2].hint, "did you mean \"g1\"?");
    EXPECT_EQ(strict.issues[3].hint, "");
    EXPECT_EQ(strict.issues[4].hint, "");  // one letter is no typo of a two-letter id
    for (std::size_t i = 0; i < plain.issues.size(); ++i) {
        EXPECT_EQ(strict.issues[i].message, plain.issues[i].message);
    }
}

TEST(StrictSuggestions, ManyMissingIdsShareABoundedAllowance) {
    // 20,000 missing ids, each one edit from one of 20,000 defined ids: a
    // suggestion for every reference would compare 4e8 pairs.
    nlohmann::json document = {{"groups", nlohmann::json::array()},
                               {"bridges", nlohmann::json::array()}};
    constexpr int kCount = 20000;
    for (int i = 0; i < kCount; ++i) {
        const std::string digits = std::to_string(100000 + i);
        document["groups"].push_back({{"id", "g" + digits}, {"type", 1}});
        document["bridges"].push_back({{"groups", {"x" + digits}}});
    }
    const auto strict = semantic("BridgingConfiguration", document, true);
    std::size_t missing = 0;
    std::size_t hinted = 0;
    for (const Issue& issue : strict.issues) {
        if (issue.code != IssueCode::kMissingGroupRef) continue;
        ++missing;
        if (!issue.hint.empty()) ++hinted;
    }
    EXPECT_EQ(missing, std::size_t{kCount});
    // The first references still get theirs, in document order.
    EXPECT_GT(hinted, 0u);
    EXPECT_LT(hinted, std::size_t{kCount});
    const auto first = std::find_if(strict.issues.begin(), strict.issues.end(), [](const Issue& i) {
        return i.code == IssueCode::kMissingGroupRef;
    });
    ASSERT_NE(first, strict.issues.end());
    EXPECT_EQ(first->hint, "did you mean \"g100000\"?");
}

TEST(Suggestion, EditDistanceIsBoundedLevenshtein) {
    EXPECT_EQ(editDistance("kitten", "sitting", 5), 3u);
    EXPECT_EQ(editDistance("kitten", "sitting", 2), 3u);  // limit + 1
    EXPECT_EQ(editDistance("", "ab", 2), 2u);
    EXPECT_EQ(editDistance("abc", "abc", 0), 0u);
    EXPECT_EQ(editDistance("vortapionts", "vortapoints", 2), 2u);
    EXPECT_EQ(editDistance("a", "abcdef", 2), 3u);
}

// The whole table, for comparison with the banded one.
std::size_t fullEditDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        }
    }
    return d[a.size()][b.size()];
}

TEST(Suggestion, EditDistanceAgreesWithTheWholeTableUnderEveryLimit) {
    // Short words over a two-letter alphabet reach every shape of band.
    std::vector<std::string> words{""};
    for (std::size_t length = 1; length <= 6; ++length) {
        for (unsigned bits = 0; bits < (1u << length); bits += 3) {
            std::string word;
            for (std::size_t k = 0; k < length; ++k) word += (bits >> k) & 1u ? 'b' : 'a';
            words.push_back(word);
        }
    }
    for (const std::string& a : words) {
        for (const std::string& b : words) {
            const std::size_t exact = fullEditDistance(a, b);
            for (std::size_t limit = 0; limit <= 3; ++limit) {
                ASSERT_EQ(editDistance(a, b, limit), std::min(exact, limit + 1))
                    << "'" << a << "' '" << b << "' limit " << limit;
            }
        }
    }
}

TEST(Suggestion, LongNamesCostTheirLengthNotItsSquare) {
    // Two 2 MB names one edit apart: the whole table would be 4e12 cells.
    const std::string a(std::size_t{2} << 20, 'a');
    const std::string b = a + "b";
    EXPECT_EQ(editDistance(a, b, 2), 1u);
    EXPECT_EQ(closestName(a, {b}), b);
}

TEST(Suggestion, ClosestNamePrefersCaseThenFewestEditsThenOrder) {
    const std::vector<std::string_view> names = {"enabled", "groups", "Groups2", "id"};
    EXPECT_EQ(closestName("enabeld", names), "enabled");
    EXPECT_EQ(closestName("GROUPS", names), "groups");
    EXPECT_EQ(closestName("groups2", names), "Groups2");  // case beats one edit
    EXPECT_EQ(closestName("group", names), "groups");
    EXPECT_EQ(closestName("groups", names), "");  // already a name
    EXPECT_EQ(closestName("colour", names), "");
    EXPECT_EQ(closestName("", names), "");
    EXPECT_EQ(closestName("ab", {"ax", "ay"}), "ax");
    EXPECT_EQ(didYouMean("g1"), "did you mean \"g1\"?");
}

}  // namespace
}  // namespace OrvexConfigValidate
