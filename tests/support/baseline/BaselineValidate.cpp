#include "baseline/BaselineValidate.hpp"

#include <exception>

#include <valijson/adapters/nlohmann_json_adapter.hpp>
#include <valijson/schema.hpp>
#include <valijson/schema_parser.hpp>
#include <valijson/validator.hpp>

#include "Verdict.hpp"
#include "baseline/SchemaBundle.hpp"
#include "baseline/SchemaEngine.hpp"
#include "baseline/SchemaRefLoader.hpp"
#include "baseline/ValijsonAdapter.hpp"
#include "semantic/SemanticRules.hpp"

namespace OrvexConfigValidate::baseline {
namespace {

class CollectingErrorHandler : public ViolationHandler {
  public:
    explicit CollectingErrorHandler(ValidationResult& into) : result(&into) {}

    void error(const nlohmann::json::json_pointer& pointer, const nlohmann::json& /*instance*/,
               const std::string& message) override {
        std::string path = pointer.to_string();
        if (path.empty()) path = "/";
        result->addIssue(Severity::Error, path, "schema", message);
    }

  private:
    ValidationResult* result;
};

void validateAgainstSchema(const std::string& schemaId, const nlohmann::json& document,
                           ValidationResult& result, const ValidateOptions& options) {
    SchemaEngine& engine = SchemaEngine::instance();
    if (!options.schemaDir.empty()) {
        engine.loadFromDirectory(options.schemaDir);
    } else {
        engine.ensureLoaded();
    }
    if (!engine.hasSchema(schemaId)) {
        result.addIssue(Severity::Error, "/", "unknown_schema", "Unknown schema id: " + schemaId);
        return;
    }
    const nlohmann::json schema = engine.getSchema(schemaId);
    try {
        SchemaValidator validator(schemaRefLoader(engine));
        validator.setRootSchema(schema, "/" + schemaId + ".schema.json");
        CollectingErrorHandler handler(result);
        validator.validate(document, handler);
    } catch (const std::exception& failure) {
        result.addIssue(Severity::Error, "/", "schema_engine", failure.what());
    }
}

}  // namespace

ValidationResult validate(const std::string& schemaId, const nlohmann::json& document,
                          const ValidateOptions& options) {
    ValidationResult result;
    if (schemaId.empty()) {
        result.addIssue(Severity::Error, "/", "invalid_parameters", "schemaId is empty");
        return result;
    }
    validateAgainstSchema(schemaId, document, result, options);
    applySemanticRules(schemaId, document, result);
    applyVerdict(result, options);
    return result;
}

struct ValijsonAlone::Compiled {
    nlohmann::json bundle;
    valijson::Schema schema;
};

ValijsonAlone::ValijsonAlone(const std::string& schemaId) : compiled(new Compiled) {
    SchemaEngine& engine = SchemaEngine::instance();
    engine.ensureLoaded();
    compiled->bundle = bundleSchema(engine.getSchema(schemaId), "/" + schemaId + ".schema.json",
                                    schemaRefLoader(engine));
    valijson::SchemaParser parser(valijson::SchemaParser::kDraft7);
    const valijson::adapters::NlohmannJsonAdapter root(compiled->bundle);
    parser.populateSchema(root, compiled->schema);
}

ValijsonAlone::~ValijsonAlone() = default;

bool ValijsonAlone::isValid(const nlohmann::json& document) const {
    valijson::Validator validator;
    const valijson::adapters::NlohmannJsonAdapter target(document);
    return validator.validate(compiled->schema, target, nullptr);
}

}  // namespace OrvexConfigValidate::baseline
