#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include <memory>
#include <mutex>
#include <utility>

#include "DefaultValidator.hpp"
#include "SchemaStage.hpp"
#include "Verdict.hpp"
#include "schemas/SchemaDirectory.hpp"
#include "schemas/SchemaSet.hpp"
#include "semantic/SemanticRules.hpp"

namespace OrvexConfigValidate {
namespace {

// Chooses the schema set of each call and runs the stages on it.
class ValidatorCore {
  public:
    ValidatorCore(std::string ownDir, bool keepsReplacements)
        : ownDir(std::move(ownDir)), keepsReplacements(keepsReplacements) {}

    ValidationResult validate(const std::string& schemaId, const nlohmann::json& document,
                              const ValidateOptions& options) {
        ValidationResult result;
        if (schemaId.empty()) {
            result.addIssue(Severity::Error, "/", "invalid_parameters", "schemaId is empty");
            return result;
        }
        // Held for the whole call: a concurrent change of the directory
        // never reaches a call that has started.
        const std::shared_ptr<const SchemaSet> schemas = schemasFor(options);
        validateAgainstSchema(*schemas, schemaId, document, result, options);
        applySemanticRules(schemaId, document, result, options);
        applyVerdict(result, options);
        return result;
    }

  private:
    std::shared_ptr<const SchemaSet> schemasFor(const ValidateOptions& options) {
        const std::string& dir = !options.schemaDir.empty() ? options.schemaDir : ownDir;
        if (dir.empty()) {
            if (!keepsReplacements) return SchemaSet::embedded();
            const std::lock_guard<std::mutex> lock(keptMutex);
            return kept ? kept : SchemaSet::embedded();
        }
        const std::shared_ptr<const DirectorySnapshot> snapshot = directories.snapshot(dir);
        if (keepsReplacements) keepReplacements(*snapshot);
        return snapshot->schemas;
    }

    // Merges the directory's replacements into the set of later calls
    // without a directory. A new set (compiled afresh) only when a document
    // actually changed.
    void keepReplacements(const DirectorySnapshot& snapshot) {
        const std::lock_guard<std::mutex> lock(keptMutex);
        const SchemaSet::Documents& current =
            kept ? kept->documents() : SchemaSet::embeddedDocuments();
        SchemaSet::Documents merged = current;
        bool changed = false;
        for (std::size_t row = 0; row < kEmbeddedSchemaCount; ++row) {
            if (!snapshot.replaced[row]) continue;
            const auto& document = snapshot.schemas->documents()[row];
            if (merged[row] != document) {
                merged[row] = document;
                changed = true;
            }
        }
        if (changed) kept = std::make_shared<const SchemaSet>(std::move(merged));
    }

    const std::string ownDir;
    const bool keepsReplacements;
    SchemaDirectoryCache directories;
    std::mutex keptMutex;
    std::shared_ptr<const SchemaSet> kept;
};

}  // namespace

struct Validator::State {
    explicit State(const std::string& dir) : core(dir, false) {}
    // Calls are const on the Validator; the core's caches change inside.
    mutable ValidatorCore core;
};

Validator::Validator() : Validator(ValidatorOptions{}) {}

Validator::Validator(ValidatorOptions options)
    : validatorOptions(std::move(options)),
      state(std::make_shared<State>(validatorOptions.schemaDir)) {}

ValidationResult Validator::validate(const std::string& schemaId, const nlohmann::json& document,
                                     const ValidateOptions& options) const {
    return state->core.validate(schemaId, document, options);
}

ValidationResult validateWithDefaultValidator(const std::string& schemaId,
                                              const nlohmann::json& document,
                                              const ValidateOptions& options) {
    static ValidatorCore core(std::string(), true);
    return core.validate(schemaId, document, options);
}

}  // namespace OrvexConfigValidate
