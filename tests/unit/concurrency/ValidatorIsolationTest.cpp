// Calls on different schema directories at the same time: each call is
// judged by its own directory's schemas only.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "RunTogether.hpp"
#include "SchemaIssues.hpp"
#include "TempSchemaDir.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

constexpr int kRounds = 40;

// Two directories whose group schemas each demand a member of their own.
struct TwoDirectories {
    TwoDirectories() {
        named.write("Group.schema.json", R"({"type": "object", "required": ["name"]})");
        tagged.write("common/Group.schema.json", R"({"type": "object", "required": ["tag"]})");
    }
    TempSchemaDir named;
    TempSchemaDir tagged;
};

const json kNamedGroup = {{"id", "g"}, {"type", 1}, {"name", "n"}};
const json kTaggedGroup = {{"id", "g"}, {"type", 1}, {"tag", "t"}};

bool schemaValid(const ValidationResult& result) {
    return schemaStageIssues(result).empty();
}

// The group alone and inside a bridging document, which reaches the group
// schema through a reference.
bool judgedBy(const ValidationResult& groupResult, const ValidationResult& bridgingResult,
              bool wantValid) {
    const std::size_t expected = wantValid ? 0 : 1;
    return schemaStageIssues(groupResult).size() == expected &&
           schemaStageIssues(bridgingResult).size() == expected;
}

TEST(ValidatorIsolation, ValidatorsWithDifferentDirectoriesNeverSeeEachOther) {
    TwoDirectories dirs;
    const Validator named(ValidatorOptions{dirs.named.path()});
    const Validator tagged(ValidatorOptions{dirs.tagged.path()});
    const Validator plain;
    std::atomic<int> wrong{0};
    std::atomic<int> checked{0};
    runTogether([&](int thread) {
        for (int round = 0; round < kRounds; ++round) {
            const bool useNamed = (thread + round) % 2 == 0;
            const Validator& validator = useNamed ? named : tagged;
            for (const json* group : {&kNamedGroup, &kTaggedGroup}) {
                const bool valid = (group == &kNamedGroup) == useNamed;
                const auto alone = validator.validate("Group", *group, {});
                const auto inside =
                    validator.validate("BridgingConfiguration", json{{"groups", {*group}}}, {});
                if (!judgedBy(alone, inside, valid)) ++wrong;
                ++checked;
            }
            // A validator without a directory has the embedded schemas only.
            if (!schemaValid(plain.validate("Group", kTaggedGroup, {}))) ++wrong;
        }
    });
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(checked.load(), kThreads * kRounds * 2);
}

TEST(ValidatorIsolation, CallDirectoryTakesThePlaceOfTheValidatorsOwn) {
    TwoDirectories dirs;
    const Validator named(ValidatorOptions{dirs.named.path()});
    ValidateOptions inTagged;
    inTagged.schemaDir = dirs.tagged.path();
    EXPECT_TRUE(schemaValid(named.validate("Group", kTaggedGroup, inTagged)));
    EXPECT_FALSE(schemaValid(named.validate("Group", kNamedGroup, inTagged)));
    // And nothing of that call stays with the validator.
    EXPECT_TRUE(schemaValid(named.validate("Group", kNamedGroup, {})));
    EXPECT_FALSE(schemaValid(named.validate("Group", kTaggedGroup, {})));
    EXPECT_EQ(named.options().schemaDir, dirs.named.path());
}

TEST(ValidatorIsolation, FreeValidateWithDifferentDirectoriesAtOnce) {
    TwoDirectories dirs;
    ValidateOptions inNamed;
    inNamed.schemaDir = dirs.named.path();
    ValidateOptions inTagged;
    inTagged.schemaDir = dirs.tagged.path();
    std::atomic<int> wrong{0};
    runTogether([&](int thread) {
        for (int round = 0; round < kRounds; ++round) {
            const bool useNamed = (thread + round) % 2 == 0;
            const ValidateOptions& options = useNamed ? inNamed : inTagged;
            for (const json* group : {&kNamedGroup, &kTaggedGroup}) {
                const bool valid = (group == &kNamedGroup) == useNamed;
                const auto alone = validate("Group", *group, options);
                const auto inside = validate("Obs",
                                             json{{"server", {{"enginePolicy", json::object()}}},
                                                  {"bridges", {{"groups", {*group}}}}},
                                             options);
                if (!judgedBy(alone, inside, valid)) ++wrong;
            }
        }
    });
    EXPECT_EQ(wrong.load(), 0);
}

TEST(ValidatorIsolation, ValidatorsIgnoreWhatFreeCallsLeftBehind) {
    TwoDirectories dirs;
    ValidateOptions inNamed;
    inNamed.schemaDir = dirs.named.path();
    ASSERT_FALSE(schemaValid(validate("Group", kTaggedGroup, inNamed)));
    // Free calls without a directory keep the replacement; a Validator does not.
    EXPECT_FALSE(schemaValid(validate("Group", kTaggedGroup, {})));
    EXPECT_TRUE(schemaValid(Validator().validate("Group", kTaggedGroup, {})));
}

}  // namespace
}  // namespace OrvexConfigValidate
