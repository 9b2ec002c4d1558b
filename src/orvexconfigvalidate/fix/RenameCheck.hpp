// Renames suggested for unknown members, checked on the whole document.
#pragma once

#include <functional>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/JsonView.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// Judges a document as the call being checked does, schema and cross-field
// rules, without this check.
using JudgeDocument = std::function<ValidationResult(const nlohmann::json&)>;

// A renamed member brings its value under the rules of its new name: a
// misspelt "groups" renamed puts every group in it under the cross-field
// rules, which may find what they did not. The document is judged once more
// with every suggested rename made; when that finds an issue (by code,
// pointer and severity) that the result does not hold, no rename is
// suggested: a fix that would write one could make the verdict worse.
// Only then is the document copied (from a view of any kind).
void keepRenamesThatAddNoIssue(JsonView document, ValidationResult& result,
                               const JudgeDocument& judge);

}  // namespace OrvexConfigValidate
