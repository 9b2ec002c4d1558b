#include "baseline/ValijsonAdapter.hpp"

#include <stdexcept>
#include <utility>
#include <vector>

#include <valijson/adapters/nlohmann_json_adapter.hpp>
#include <valijson/schema.hpp>
#include <valijson/schema_parser.hpp>
#include <valijson/validation_results.hpp>
#include <valijson/validator.hpp>

#include "baseline/SchemaBundle.hpp"
#include "baseline/ValijsonReports.hpp"
#include "engine/UriReference.hpp"

namespace OrvexConfigValidate::baseline {
namespace {

// The schema that the bundle's root reference chain ends in.
const nlohmann::json* rootTarget(const nlohmann::json& bundle) {
    const nlohmann::json* current = &bundle;
    for (std::size_t step = 0; step <= kMaxSchemaChain + 1; ++step) {
        if (!current->is_object()) return current;
        const auto ref = current->find("$ref");
        if (ref == current->end() || !ref->is_string()) return current;
        const std::string pointer = percentDecode(ref->get<std::string>().substr(1));
        current = &bundle.at(nlohmann::json::json_pointer(pointer));
    }
    return current;
}

std::string silentFailureMessage(const nlohmann::json& bundle) {
    try {
        const nlohmann::json* target = rootTarget(bundle);
        if (target->is_boolean()) return "Schema 'false' accepts no value.";
        if (target->is_object() && target->contains("propertyNames"))
            return "A property name fails the 'propertyNames' constraint.";
    } catch (const std::exception&) {
        // Falls back to the general wording.
    }
    return "Value fails the schema.";
}

}  // namespace

struct SchemaValidator::Compiled {
    valijson::Schema schema;
};

SchemaValidator::SchemaValidator(SchemaLoader source) : loader(std::move(source)) {}

SchemaValidator::~SchemaValidator() = default;

void SchemaValidator::setRootSchema(const nlohmann::json& schema, const std::string& retrievalUri) {
    // Checked before anything copies or walks the schema recursively.
    if (jsonNestingDepth(schema) > kMaxSchemaNesting) {
        throw std::invalid_argument("schema document is nested deeper than " +
                                    std::to_string(kMaxSchemaNesting) + " levels");
    }
    // References are resolved here, so valijson sees only pointers into one
    // document and never fetches.
    const nlohmann::json bundle = bundleSchema(schema, retrievalUri, loader);
    auto fresh = std::make_unique<Compiled>();
    valijson::SchemaParser parser(valijson::SchemaParser::kDraft7);
    const valijson::adapters::NlohmannJsonAdapter root(bundle);
    parser.populateSchema(root, fresh->schema);
    silentFailure = silentFailureMessage(bundle);
    compiled = std::move(fresh);
}

bool SchemaValidator::validate(const nlohmann::json& document, ViolationHandler& handler) {
    if (!compiled) throw std::logic_error("schema validator has no root schema");
    valijson::Validator validator;
    valijson::ValidationResults results;
    const valijson::adapters::NlohmannJsonAdapter target(document);
    if (validator.validate(compiled->schema, target, &results)) return true;

    std::vector<ValidatorReport> reports;
    reports.reserve(results.numErrors());
    for (const auto& error : results) reports.push_back({error.context, error.description});
    std::vector<ValidatorReport> violations = selectViolations(reports);
    if (violations.empty()) {
        // valijson reports nothing for a `false` root or a failed
        // propertyNames at the root; the document is still invalid.
        violations.push_back({{"<root>"}, silentFailure});
    }
    const nlohmann::json null;
    for (const ValidatorReport& violation : violations) {
        const nlohmann::json* instance = nullptr;
        const auto pointer = pointerForContext(document, violation.context, &instance);
        handler.error(pointer, instance != nullptr ? *instance : null, violation.message);
    }
    return false;
}

}  // namespace OrvexConfigValidate::baseline
