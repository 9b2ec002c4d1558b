// The one place where the schema validator dependency (valijson) is used.
#pragma once

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "baseline/SchemaRefLoader.hpp"

namespace OrvexConfigValidate::baseline {

// Receives one call per violation, in the validator's order.
class ViolationHandler {
  public:
    virtual ~ViolationHandler() = default;
    virtual void error(const nlohmann::json::json_pointer& pointer, const nlohmann::json& instance,
                       const std::string& message) = 0;
};

// A draft-07 validator for one root schema. Every failure to compile or
// validate surfaces as an exception of the std::exception family.
class SchemaValidator {
  public:
    explicit SchemaValidator(SchemaLoader loader);
    ~SchemaValidator();
    SchemaValidator(const SchemaValidator&) = delete;
    SchemaValidator& operator=(const SchemaValidator&) = delete;

    // Compiles the schema; referenced documents are fetched through the
    // loader, each once. `retrievalUri` is the base of a root without "$id".
    void setRootSchema(const nlohmann::json& schema, const std::string& retrievalUri = "");
    // Reports every violation of the document to the handler, at least one
    // when the document is invalid; returns whether it is valid.
    bool validate(const nlohmann::json& document, ViolationHandler& handler);

  private:
    struct Compiled;
    SchemaLoader loader;
    // What the root resolves to, for the report of a failure that the
    // validator leaves without one.
    std::string silentFailure;
    std::unique_ptr<Compiled> compiled;
};

}  // namespace OrvexConfigValidate::baseline
