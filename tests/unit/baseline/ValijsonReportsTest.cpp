// The valijson oracle of the old pipeline: how its reports become violations.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "baseline/ValijsonAdapter.hpp"
#include "baseline/ValijsonReports.hpp"

namespace OrvexConfigValidate::baseline {
namespace {

using nlohmann::json;

struct Violation {
    std::string path;
    std::string message;
};

class Recorder : public ViolationHandler {
  public:
    void error(const json::json_pointer& pointer, const json& instance,
               const std::string& message) override {
        violations.push_back({pointer.to_string(), message});
        instances.push_back(instance);
    }
    std::vector<Violation> violations;
    std::vector<json> instances;
};

// Validates against a schema whose references are answered from `documents`.
Recorder check(const json& schema, const json& document, const json& documents = json::object()) {
    SchemaValidator validator([&documents](const std::string& ref, json& out) {
        if (!documents.contains(ref)) throw std::invalid_argument("no " + ref);
        out = documents.at(ref);
    });
    validator.setRootSchema(schema);
    Recorder recorder;
    validator.validate(document, recorder);
    return recorder;
}

std::string describe(const Recorder& recorder) {
    std::string text;
    for (const Violation& v : recorder.violations) text += "[" + v.path + "] " + v.message + "\n";
    return text;
}

TEST(ValijsonReports, CombinatorFailureIsItselfTheViolation) {
    const json anyOf = {{"anyOf", {{{"type", "string"}}, {{"minimum", 5}}}}};
    Recorder r = check(anyOf, 1);
    ASSERT_EQ(r.violations.size(), 1u) << describe(r);
    EXPECT_EQ(r.violations[0].path, "");
    EXPECT_EQ(r.violations[0].message,
              "Failed to validate against any schemas allowed by anyOf constraint.");

    const json nested = {{"properties", {{"x", anyOf}}}, {"required", {"y"}}};
    r = check(nested, json{{"x", 1}});
    ASSERT_EQ(r.violations.size(), 2u) << describe(r);
    EXPECT_EQ(r.violations[0].path, "/x");
    EXPECT_EQ(r.violations[1].message, "Missing required property 'y'.");

    r = check({{"oneOf", {{{"type", "integer"}}, {{"minimum", 0}}}}}, 1);
    ASSERT_EQ(r.violations.size(), 1u) << describe(r);
    EXPECT_EQ(r.violations[0].message, "Failed to validate against exactly one child schema.");

    r = check({{"oneOf", {{{"type", "string"}}, {{"properties", {{"a", {{"minimum", 0}}}}}}}}},
              json{{"a", -1}});
    ASSERT_EQ(r.violations.size(), 1u) << describe(r);

    r = check({{"if", {{"type", "integer"}}}, {"then", {{"minimum", 10}}}}, 3);
    ASSERT_EQ(r.violations.size(), 1u) << describe(r);
    EXPECT_EQ(r.violations[0].message,
              "Failed to validate against a conditional schema set by if-then-else constraints.");

    r = check({{"not", {{"type", "integer"}}}}, 3);
    ASSERT_EQ(r.violations.size(), 1u) << describe(r);
}

TEST(ValijsonReports, AllOfBranchLineIsDroppedBehindItsViolation) {
    // valijson stops an allOf at its first failing branch.
    const Recorder r =
        check({{"allOf", {{{"minimum", 0}}, {{"maximum", 0}}, {{"maximum", 1}}}}}, 3);
    ASSERT_EQ(r.violations.size(), 1u) << describe(r);
    EXPECT_EQ(r.violations[0].message, "Expected number less than or equal to 0.000000");
}

TEST(ValijsonReports, EnclosingLineStaysWhenItIsTheOnlyTrace) {
    Recorder r =
        check({{"properties", {{"a", false}, {"b", {{"minimum", 0}}}}}}, json{{"a", 1}, {"b", -1}});
    ASSERT_EQ(r.violations.size(), 2u) << describe(r);
    EXPECT_EQ(r.violations[0].message,
              "Failed to validate against schema associated with property name 'a'.");
    EXPECT_EQ(r.violations[0].path, "");
    EXPECT_EQ(r.violations[1].path, "/b");

    // A `false` root reports nothing of its own; one violation is still given.
    r = check(false, 1);
    ASSERT_EQ(r.violations.size(), 1u) << describe(r);
    EXPECT_EQ(r.violations[0].path, "");
}

TEST(ValijsonReports, ItemsPatternsAndAdditionalProperties) {
    Recorder r = check({{"items", {{"type", "string"}}}}, json{"a", 1, "b", 2});
    ASSERT_EQ(r.violations.size(), 2u) << describe(r);
    EXPECT_EQ(r.violations[0].path, "/1");
    EXPECT_EQ(r.violations[1].path, "/3");
    EXPECT_EQ(r.instances[1], 2);

    r = check({{"items", {{{"type", "string"}}}}, {"additionalItems", false}}, json{1});
    ASSERT_EQ(r.violations.size(), 2u) << describe(r);
    EXPECT_EQ(r.violations[0].path, "/0");
    EXPECT_EQ(r.violations[0].message, "Value type not permitted by 'type' constraint.");
    r = check({{"items", {{{"type", "string"}}}}, {"additionalItems", false}}, json{"a", 1});
    ASSERT_EQ(r.violations.size(), 1u) << describe(r);
    EXPECT_EQ(r.violations[0].path, "");

    r = check({{"patternProperties", {{"^a", {{"type", "integer"}}}}},
               {"additionalProperties", {{"type", "boolean"}}}},
              json{{"ab", "x"}, {"b", 1}, {"c", true}});
    ASSERT_EQ(r.violations.size(), 2u) << describe(r);
    EXPECT_EQ(r.violations[0].path, "/ab");
    EXPECT_EQ(r.violations[1].path, "/b");

    r = check({{"dependencies", {{"a", {{"required", {"b"}}}}}}}, json{{"a", 1}});
    ASSERT_EQ(r.violations.size(), 1u) << describe(r);
    EXPECT_EQ(r.violations[0].message, "Missing required property 'b'.");
}

TEST(ValijsonReports, ValidDocumentsReportNothing) {
    const json schema = {{"anyOf", {{{"type", "string"}}, {{"minimum", 5}}}},
                         {"properties", {{"a", {{"oneOf", {{{"type", "integer"}}, false}}}}}}};
    EXPECT_TRUE(check(schema, 7).violations.empty());
    EXPECT_TRUE(check(schema, json{{"a", 1}}).violations.empty()) << describe(check(schema, 1));
}

TEST(ValijsonReports, ReferencedDocumentsAreFetchedOncePerValidation) {
    int fetches = 0;
    const json target = {{"type", "integer"}};
    SchemaValidator validator([&](const std::string& ref, json& out) {
        ++fetches;
        EXPECT_EQ(ref, "T.schema.json # ");
        out = target;
    });
    validator.setRootSchema(
        {{"properties",
          {{"a", {{"$ref", "T.schema.json"}}}, {"b", {{"items", {{"$ref", "T.schema.json"}}}}}}}});
    EXPECT_EQ(fetches, 1);
    Recorder r;
    validator.validate(json{{"a", "x"}, {"b", {1, "y"}}}, r);
    ASSERT_EQ(r.violations.size(), 2u);
    EXPECT_EQ(r.violations[1].path, "/b/1");
}

TEST(ValijsonReports, LoaderAndCompileFailuresAreExceptions) {
    EXPECT_THROW(check({{"properties", {{"a", {{"$ref", "X.json"}}}}}}, 1), std::invalid_argument);
    EXPECT_THROW(check(json::array({1}), 1), std::exception);
    EXPECT_THROW(check({{"minimum", "five"}}, 1), std::exception);
}

TEST(PointerForContext, NodeTypeDecidesBetweenIndexAndKey) {
    const json document = {{"0", {{"1", 2}}}, {"arr", {json::array({5})}}, {"[x]", 3}};
    const json* value = nullptr;
    EXPECT_EQ(pointerForContext(document, {"<root>", "[0]", "[1]"}, &value).to_string(), "/0/1");
    EXPECT_EQ(*value, 2);
    EXPECT_EQ(pointerForContext(document, {"<root>", "[arr]", "[0]", "[0]"}, &value).to_string(),
              "/arr/0/0");
    EXPECT_EQ(*value, 5);
    // Exactly one bracket comes off each end.
    EXPECT_EQ(pointerForContext(document, {"<root>", "[[x]]"}, &value).to_string(), "/[x]");
    EXPECT_EQ(*value, 3);
    EXPECT_EQ(pointerForContext(document, {"<root>"}, &value).to_string(), "");
    EXPECT_EQ(value, &document);
    EXPECT_EQ(pointerForContext(document, {"<root>", "[nope]", "[0]"}, &value).to_string(),
              "/nope/0");
    EXPECT_EQ(value, nullptr);
}

// Records what the validator reports.
class Count : public ViolationHandler {
  public:
    void error(const json::json_pointer& /*pointer*/, const json& /*instance*/,
               const std::string& message) override {
        messages.push_back(message);
    }
    std::vector<std::string> messages;
};

TEST(SchemaInvariant, AnInvalidDocumentAlwaysHasAReport) {
    const std::vector<json> schemas = {
        false,
        json::parse(R"({"propertyNames": false})"),
        json::parse(R"({"$ref": "#/definitions/f", "definitions": {"f": false}})"),
        json::parse(R"({"allOf": [{"anyOf": [false, {"allOf": [false]}]}]})"),
        json::parse(R"({"properties": {"a": {"propertyNames": {"maxLength": 1}}}})"),
        json::parse(R"({"oneOf": [true, {}], "not": {"not": false}})"),
        json::parse(R"({"if": true, "then": false, "else": true})"),
        json::parse(R"({"dependencies": {"a": false}, "items": [false]})"),
    };
    const json document = {{"a", {{"long", 1}}}};
    for (const json& schema : schemas) {
        for (const json& value : {document, json::array({1})}) {
            SchemaValidator validator([](const std::string&, json&) {});
            validator.setRootSchema(schema);
            Count count;
            const bool valid = validator.validate(value, count);
            EXPECT_EQ(valid, count.messages.empty()) << schema.dump() << " on " << value.dump();
        }
    }
    SchemaValidator validator([](const std::string&, json&) {});
    validator.setRootSchema(false);
    Count count;
    EXPECT_FALSE(validator.validate(1, count));
    ASSERT_EQ(count.messages.size(), 1u);
    EXPECT_EQ(count.messages[0], "Schema 'false' accepts no value.");
}

}  // namespace
}  // namespace OrvexConfigValidate::baseline
