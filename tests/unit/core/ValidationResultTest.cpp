#include <gtest/gtest.h>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Verdict.hpp"

namespace OrvexConfigValidate {
namespace {

TEST(ValidationResult, NewResultIsOkAndEmpty) {
    const ValidationResult result;
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(result.issues.empty());
    EXPECT_FALSE(result.hasErrors());
}

TEST(ValidationResult, OnlyErrorsClearOkAndNothingRestoresIt) {
    ValidationResult result;
    result.addIssue(Severity::Warning, "/a", "w", "warning");
    result.addIssue(Severity::Info, "/b", "i", "note");
    EXPECT_TRUE(result.ok);
    EXPECT_FALSE(result.hasErrors());

    result.addIssue(Severity::Error, "/c", "e", "error");
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.hasErrors());

    result.addIssue(Severity::Info, "/d", "i", "note");
    result.addIssue(Severity::Warning, "/e", "w", "warning");
    EXPECT_FALSE(result.ok);
}

TEST(ValidationResult, KeepsIdenticalIssuesInOrderAndStoresBytesUnchanged) {
    ValidationResult result;
    result.addIssue(Severity::Warning, "/x", "same", "twice");
    result.addIssue(Severity::Warning, "/x", "same", "twice");
    result.addIssue(Severity::Info, "", "", std::string("a\0b", 3));
    ASSERT_EQ(result.issues.size(), 3u);
    EXPECT_EQ(result.issues[0].path, "/x");
    EXPECT_EQ(result.issues[1].message, "twice");
    EXPECT_EQ(result.issues[2].path, "");
    EXPECT_EQ(result.issues[2].message.size(), 3u);
}

ValidationResult warningAndInfo() {
    ValidationResult result;
    result.addIssue(Severity::Warning, "/w", "w", "warning");
    result.addIssue(Severity::Info, "/i", "i", "note");
    return result;
}

struct VerdictCase {
    bool warningPresent;
    bool infoPresent;
    bool failOnWarning;
    bool failOnInfo;
    bool expectedOk;
};

class Verdict : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(Verdict, FlagsDecideOnlyForTheirOwnSeverity) {
    const VerdictCase c = GetParam();
    ValidationResult result;
    if (c.warningPresent) result.addIssue(Severity::Warning, "/w", "w", "warning");
    if (c.infoPresent) result.addIssue(Severity::Info, "/i", "i", "note");
    ValidateOptions options;
    options.failOnWarning = c.failOnWarning;
    options.failOnInfo = c.failOnInfo;
    applyVerdict(result, options);
    EXPECT_EQ(result.ok, c.expectedOk);
}

INSTANTIATE_TEST_SUITE_P(AllCombinations, Verdict,
                         ::testing::Values(VerdictCase{true, true, false, false, true},
                                           VerdictCase{true, false, true, false, false},
                                           VerdictCase{false, true, true, false, true},
                                           VerdictCase{false, true, false, true, false},
                                           VerdictCase{true, false, false, true, true},
                                           VerdictCase{true, true, true, true, false},
                                           VerdictCase{false, false, true, true, true}));

TEST(VerdictRule, ErrorsFailWhateverTheFlagsAndSeveritiesStayUnchanged) {
    ValidationResult result = warningAndInfo();
    Issue error;
    error.severity = Severity::Error;
    error.path = "/e";
    result.issues.push_back(error);  // ok left true on purpose
    ValidateOptions options;
    options.failOnWarning = true;
    options.failOnInfo = true;
    applyVerdict(result, options);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.issues[0].severity, Severity::Warning);
    EXPECT_EQ(result.issues[1].severity, Severity::Info);
    EXPECT_EQ(result.issues[2].severity, Severity::Error);
}

// A bound on the issues kept changes what is listed, never the verdict or
// how many there are of each severity.
TEST(ValidationResult, IssuesPastTheBoundAreCountedNotKept) {
    std::string groups = "{\"groups\":[{}";
    for (int i = 0; i < 40; ++i) groups += ",{}";
    groups += "]}";
    std::string members = "{\"groups\":[]";
    for (int i = 0; i < 30; ++i) members += ",\"a\":0";
    members += "}";
    struct Case {
        const char* name;
        std::string text;
        bool failOnWarning;
    };
    const Case cases[] = {
        {"empty groups", groups, false},
        {"repeated members", members, false},
        {"repeated members, failing", members, true},
        {"both", members.substr(0, members.size() - 1) + "," + groups.substr(1), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ValidateOptions options;
        options.failOnWarning = c.failOnWarning;
        const ValidationResult all = validateText("BridgingConfiguration", c.text, options);
        ASSERT_GT(all.issues.size(), 20u);
        EXPECT_EQ(all.omitted.total(), 0u);
        options.maxIssues = 7;
        const ValidationResult kept = validateText("BridgingConfiguration", c.text, options);
        ASSERT_EQ(kept.issues.size(), 7u);
        EXPECT_EQ(kept.ok, all.ok);
        IssueCounts counts = kept.omitted;
        for (const Issue& issue : kept.issues) counts.add(issue.severity);
        IssueCounts expected;
        for (const Issue& issue : all.issues) expected.add(issue.severity);
        EXPECT_EQ(counts.errors, expected.errors);
        EXPECT_EQ(counts.warnings, expected.warnings);
        EXPECT_EQ(counts.infos, expected.infos);
        // The first ones found are the ones kept, placed in the text.
        for (std::size_t i = 0; i < kept.issues.size(); ++i) {
            EXPECT_EQ(kept.issues[i].code, all.issues[i].code);
            EXPECT_EQ(kept.issues[i].pointer, all.issues[i].pointer);
            EXPECT_EQ(kept.issues[i].location.offset, all.issues[i].location.offset);
        }
    }
}

}  // namespace
}  // namespace OrvexConfigValidate
