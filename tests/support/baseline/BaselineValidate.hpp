// The schema stage as it was before the library had its own engine:
// valijson behind a bundling step, every call copying, bundling and
// compiling its schema. Kept only to measure against (bench/) and as an
// oracle for tests; the library does not use it.
#pragma once

#include <memory>
#include <string>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate::baseline {

// validate() of the old pipeline: parameter check, valijson schema stage on
// the process-wide document holder, semantic rules, verdict.
ValidationResult validate(const std::string& schemaId, const nlohmann::json& document,
                          const ValidateOptions& options);

// valijson alone: one embedded schema bundled and compiled once, then only
// valijson's own validation per call (no issues built).
class ValijsonAlone {
  public:
    explicit ValijsonAlone(const std::string& schemaId);
    ~ValijsonAlone();
    ValijsonAlone(const ValijsonAlone&) = delete;
    ValijsonAlone& operator=(const ValijsonAlone&) = delete;

    bool isValid(const nlohmann::json& document) const;

  private:
    struct Compiled;
    std::unique_ptr<Compiled> compiled;
};

}  // namespace OrvexConfigValidate::baseline
