#include <gtest/gtest.h>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate {
namespace {

TEST(ValidateParameters, EmptySchemaIdIsTheOnlyIssueWhateverTheOptions) {
    ValidateOptions options;
    options.failOnWarning = true;
    options.failOnInfo = true;
    options.schemaDir = "/nonexistent";
    for (const auto& document : {nlohmann::json(), nlohmann::json::array({1, 2}),
                                 nlohmann::json{{"groups", {{{"id", ""}}}}}}) {
        const ValidationResult result = validate("", document, options);
        EXPECT_FALSE(result.ok);
        ASSERT_EQ(result.issues.size(), 1u);
        const Issue& issue = result.issues[0];
        EXPECT_EQ(issue.severity, Severity::Error);
        EXPECT_EQ(issue.path, "/");
        EXPECT_EQ(issue.code, "invalid_parameters");
        EXPECT_EQ(issue.message, "schemaId is empty");
    }
}

}  // namespace
}  // namespace OrvexConfigValidate
