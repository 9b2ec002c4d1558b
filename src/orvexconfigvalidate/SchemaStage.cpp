#include "SchemaStage.hpp"

#include <exception>

#include "engine/SchemaRefLoader.hpp"
#include "engine/ValijsonAdapter.hpp"
#include "schemas/SchemaEngine.hpp"

namespace OrvexConfigValidate {
namespace {

class CollectingErrorHandler : public ViolationHandler {
  public:
    explicit CollectingErrorHandler(ValidationResult& result) : result(&result) {}

    void error(const nlohmann::json::json_pointer& pointer, const nlohmann::json& /*instance*/,
               const std::string& message) override {
        std::string path = pointer.to_string();
        if (path.empty()) path = "/";
        result->addIssue(Severity::Error, path, "schema", message);
    }

  private:
    ValidationResult* result;
};

}  // namespace

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
        // A root without "$id" takes its base from its schema id.
        validator.setRootSchema(schema, "/" + schemaId + ".schema.json");
        CollectingErrorHandler handler(result);
        validator.validate(document, handler);
    } catch (const std::exception& failure) {
        result.addIssue(Severity::Error, "/", "schema_engine", failure.what());
    }
}

}  // namespace OrvexConfigValidate
