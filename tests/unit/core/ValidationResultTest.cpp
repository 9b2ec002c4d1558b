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

}  // namespace
}  // namespace OrvexConfigValidate
