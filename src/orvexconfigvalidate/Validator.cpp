#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include <memory>
#include <mutex>
#include <utility>

#include "DefaultValidator.hpp"
#include "KeptModel.hpp"
#include "SchemaStage.hpp"
#include "Verdict.hpp"
#include "engine/SchemaQuery.hpp"
#include "fix/RenameCheck.hpp"
#include "json/PointerText.hpp"
#include "schemas/SchemaDirectory.hpp"
#include "schemas/SchemaSet.hpp"
#include "semantic/SemanticRules.hpp"

namespace OrvexConfigValidate {
namespace {

// Chooses the schema set of each call and runs the stages on it.
class ValidatorCore {
  public:
    ValidatorCore(std::string dir, bool keeps) : ownDir(std::move(dir)), keepsReplacements(keeps) {}

    ValidationResult validate(const std::string& schemaId, JsonView document,
                              const ValidateOptions& options, KeptModel* model = nullptr) {
        ValidationResult result;
        result.keepAtMost = options.maxIssues;
        result.envelope = schemaId == kEnvelopeSchemaId;
        if (schemaId.empty()) {
            result.addIssue(Severity::Error, "/", IssueCode::kInvalidParameters,
                            "schemaId is empty");
            return result;
        }
        // Held for the whole call: a concurrent change of the directory
        // never reaches a call that has started.
        const std::shared_ptr<const SchemaSet> schemas = schemasFor(options);
        judge(*schemas, schemaId, document, result, options, model);
        if (options.strict) {
            keepRenamesThatAddNoIssue(document, result, [&](const nlohmann::json& renamed) {
                ValidationResult again;
                judge(*schemas, schemaId, renamed, again, options);
                return again;
            });
        }
        applyVerdict(result, options);
        return result;
    }

    static void judge(const SchemaSet& schemas, const std::string& schemaId, JsonView document,
                      ValidationResult& result, const ValidateOptions& options,
                      KeptModel* model = nullptr) {
        if (model == nullptr) {
            validateView(schemas, schemaId, document, result, options);
            return;
        }
        validateAgainstSchema(schemas, schemaId, document, result, options);
        model->model = std::make_unique<Configuration>(schemaId, document);
        const std::size_t before = result.issues.size();
        applySemanticRules(*model->model, result, options);
        model->ruleIssues = result.issues.size() - before;
    }

    std::shared_ptr<const SchemaSet> schemasFor(const ValidateOptions& options) {
        const std::string& dir = !options.schemaDir.empty() ? options.schemaDir : ownDir;
        if (dir.empty()) {
            if (!keepsReplacements) return SchemaSet::embedded();
            const std::lock_guard<std::mutex> lock(keptMutex);
            return kept ? kept : SchemaSet::embedded();
        }
        const std::shared_ptr<const DirectorySnapshot> snapshot = directories.snapshot(dir);
        if (keepsReplacements) return keepReplacements(*snapshot);
        return snapshot->schemas;
    }

  private:
    // Merges the directory's replacements into what this validator keeps,
    // and returns the merged set, all under one lock so that the call sees
    // exactly the set it made. A new set (compiled afresh) only when a
    // document actually changed.
    std::shared_ptr<const SchemaSet> keepReplacements(const DirectorySnapshot& snapshot) {
        const std::lock_guard<std::mutex> lock(keptMutex);
        SchemaSet::Documents merged = kept ? kept->documents() : SchemaSet::embeddedDocuments();
        bool changed = false;
        for (std::size_t row = 0; row < kEmbeddedSchemaCount; ++row) {
            if (!snapshot.replaced[row]) continue;
            const auto document = snapshot.schemas->documents()[row];
            if (merged[row] != document) {
                merged[row] = document;
                changed = true;
            }
        }
        if (changed) kept = std::make_shared<const SchemaSet>(std::move(merged));
        return kept ? kept : SchemaSet::embedded();
    }

    const std::string ownDir;
    const bool keepsReplacements;
    SchemaDirectoryCache directories;
    std::mutex keptMutex;
    std::shared_ptr<const SchemaSet> kept;
};

}  // namespace

struct Validator::State {
    State(const std::string& dir, bool keepsReplacements) : core(dir, keepsReplacements) {}
    // Calls are const on the Validator; the core's caches change inside.
    mutable ValidatorCore core;
};

struct ValidatorAccess {
    static ValidationResult validate(const Validator& validator, const std::string& schemaId,
                                     JsonView document, const ValidateOptions& options,
                                     KeptModel* kept) {
        return validator.state->core.validate(schemaId, document, options, kept);
    }
    static Validator remembering() {
        Validator validator;
        validator.state = std::make_shared<Validator::State>(std::string(), true);
        return validator;
    }
};

Validator::Validator() : Validator(ValidatorOptions{}) {}

Validator::Validator(ValidatorOptions options)
    : validatorOptions(std::move(options)),
      state(std::make_shared<State>(validatorOptions.schemaDir, false)) {}

ValidationResult Validator::validate(const std::string& schemaId, const nlohmann::json& document,
                                     const ValidateOptions& options) const {
    return state->core.validate(schemaId, document, options);
}

SchemaPlaceInfo Validator::describeSchemaAt(const std::string& schemaId,
                                            std::string_view pointer) const {
    const auto index = catalogIndex(schemaId);
    const auto tokens = splitPointer(pointer);
    if (!index || !tokens) return {};
    const std::shared_ptr<const SchemaSet> schemas = state->core.schemasFor(ValidateOptions{});
    const SchemaCompilation& compilation = schemas->compiled(*index);
    if (!compilation.schema) return {};
    return describeSchemaPlace(*compilation.schema, *tokens);
}

ValidationResult validateKeepingModel(const Validator& validator, const std::string& schemaId,
                                      const nlohmann::json& document,
                                      const ValidateOptions& options, KeptModel& kept) {
    return ValidatorAccess::validate(validator, schemaId, document, options, &kept);
}

ValidationResult validateViewWith(const Validator& validator, const std::string& schemaId,
                                  JsonView document, const ValidateOptions& options,
                                  KeptModel* kept) {
    return ValidatorAccess::validate(validator, schemaId, document, options, kept);
}

const Validator& defaultValidator() {
    static const Validator kDefault = ValidatorAccess::remembering();
    return kDefault;
}

}  // namespace OrvexConfigValidate
