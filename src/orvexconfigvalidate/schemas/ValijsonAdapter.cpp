#include "ValijsonAdapter.hpp"

#include <stdexcept>
#include <utility>
#include <vector>

#include <valijson/adapters/nlohmann_json_adapter.hpp>
#include <valijson/schema.hpp>
#include <valijson/schema_parser.hpp>
#include <valijson/validation_results.hpp>
#include <valijson/validator.hpp>

#include "ValijsonReports.hpp"

namespace OrvexConfigValidate {
namespace {

void freeFetchedDocument(const nlohmann::json* document) {
    delete document;
}

// valijson resolves a "$ref" at the very root that names another document
// inside the root itself, and so recurses without end. One level of allOf
// sends such a reference down the path that fetches documents.
bool rootRefersToOtherDocument(const nlohmann::json& schema) {
    if (!schema.is_object()) return false;
    const auto ref = schema.find("$ref");
    if (ref == schema.end() || !ref->is_string()) return false;
    const auto& text = ref->get_ref<const std::string&>();
    const bool absolute = text.find("://") != std::string::npos || text.rfind("urn:", 0) == 0 ||
                          text.rfind("URN:", 0) == 0;
    return !text.empty() && text.front() != '#' && !absolute;
}

}  // namespace

struct SchemaValidator::Compiled {
    valijson::Schema schema;
};

SchemaValidator::SchemaValidator(SchemaLoader loader) : loader(std::move(loader)) {}

SchemaValidator::~SchemaValidator() = default;

void SchemaValidator::setRootSchema(const nlohmann::json& schema) {
    auto fresh = std::make_unique<Compiled>();
    valijson::SchemaParser parser(valijson::SchemaParser::kDraft7);
    const nlohmann::json wrapped = rootRefersToOtherDocument(schema)
                                       ? nlohmann::json{{"allOf", nlohmann::json::array({schema})}}
                                       : nlohmann::json();
    const valijson::adapters::NlohmannJsonAdapter root(wrapped.is_null() ? schema : wrapped);
    // A throwing fetch propagates out of populateSchema after valijson has
    // freed what it fetched so far, so the loader's own message reaches the
    // caller.
    auto fetch = [this](const std::string& uri) -> const nlohmann::json* {
        auto document = std::make_unique<nlohmann::json>();
        loader(uri, *document);
        return document.release();
    };
    parser.populateSchema(root, fresh->schema, fetch, freeFetchedDocument);
    compiled = std::move(fresh);
}

void SchemaValidator::validate(const nlohmann::json& document, ViolationHandler& handler) {
    if (!compiled) throw std::logic_error("schema validator has no root schema");
    valijson::Validator validator;
    valijson::ValidationResults results;
    const valijson::adapters::NlohmannJsonAdapter target(document);
    if (validator.validate(compiled->schema, target, &results)) return;

    std::vector<ValidatorReport> reports;
    reports.reserve(results.numErrors());
    for (const auto& error : results) reports.push_back({error.context, error.description});
    std::vector<ValidatorReport> violations = selectViolations(reports);
    if (violations.empty()) {
        // valijson rejects a `false` schema and a failed propertyNames
        // without any report of its own; the document is still invalid.
        violations.push_back({{"<root>"}, "Failed to validate against schema."});
    }
    const nlohmann::json null;
    for (const ValidatorReport& violation : violations) {
        const nlohmann::json* instance = nullptr;
        const auto pointer = pointerForContext(document, violation.context, &instance);
        handler.error(pointer, instance != nullptr ? *instance : null, violation.message);
    }
}

}  // namespace OrvexConfigValidate
