// The draft-07 engine: a schema document, and every document its references
// reach, compiled once into an immutable tree of keyword checks that any
// number of threads may evaluate at the same time.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/JsonView.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// Answers the document at an absolute URI without fragment, or nullptr when
// there is none. The same document object may be answered for several URIs:
// it is compiled once, whatever name it was reached by.
using SchemaDocumentSource =
    std::function<std::shared_ptr<const nlohmann::json>(const std::string& absoluteUri)>;

class CompiledSchema;
class WorkBudget;

struct SchemaCompilation {
    // Null when the schema cannot be used; `error` then says why, in words
    // fit for a "schema_engine" issue.
    std::shared_ptr<const CompiledSchema> schema;
    std::string error;
};

// `root` must outlive the compiled schema only while compiling; the result
// keeps what it needs. `retrievalUri` is the base of a root without "$id".
SchemaCompilation compileSchema(std::shared_ptr<const nlohmann::json> root,
                                const std::string& retrievalUri,
                                const SchemaDocumentSource& source);

struct EvaluationOptions {
    // Report members the schema at their place does not name.
    bool strict = false;
    // One budget for many evaluations (a site rule run over every group):
    // null gives each evaluation its own, sized by its document.
    WorkBudget* sharedWork = nullptr;
};

// Appends one "schema" issue per violation (and "schema_engine" when the
// evaluation exceeds its bounds) to the result; never throws for the
// document's content.
void evaluateSchema(const CompiledSchema& schema, JsonView document, ValidationResult& result,
                    const EvaluationOptions& options);

// The same, with every value read through JsonView, as a document that is
// not a nlohmann value is read, even when it is one: tests hold the two
// readings to the same results.
void evaluateSchemaThroughView(const CompiledSchema& schema, JsonView document,
                               ValidationResult& result, const EvaluationOptions& options);

}  // namespace OrvexConfigValidate
