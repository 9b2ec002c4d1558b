#include "fix/RenameCheck.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "json/PointerText.hpp"

namespace OrvexConfigValidate {

namespace {

using Json = nlohmann::json;
bool isRename(const Issue& issue) {
    return issue.code == IssueCode::kUnknownMember && !issue.suggestion.empty();
}

// Renames the member the issue names in `document`; false when the
// document has no such member or holds the new name already.
bool rename(Json& document, const Issue& issue) {
    const auto tokens = splitPointer(issue.pointer);
    if (!tokens || tokens->empty()) return false;
    Json* object = &document;
    for (std::size_t i = 0; i + 1 < tokens->size(); ++i) {
        const std::string& token = (*tokens)[i];
        if (object->is_object()) {
            const auto found = object->find(token);
            if (found == object->end()) return false;
            object = &*found;
        } else if (object->is_array()) {
            const auto index = arrayIndexOf(token);
            if (!index || *index >= object->size()) return false;
            object = &(*object)[*index];
        } else {
            return false;
        }
    }
    const std::string& name = tokens->back();
    if (!object->is_object() || !object->contains(name) || object->contains(issue.suggestion)) {
        return false;
    }
    (*object)[issue.suggestion] = std::move((*object)[name]);
    object->erase(name);
    return true;
}

}  // namespace

void keepRenamesThatAddNoIssue(JsonView document, ValidationResult& result,
                               const JudgeDocument& judge) {
    if (std::none_of(result.issues.begin(), result.issues.end(), isRename)) return;
    Json renamed = document.json() != nullptr ? *document.json() : document.toJson();
    for (const Issue& issue : result.issues) {
        if (isRename(issue)) rename(renamed, issue);
    }
    if (bringsNoNewIssue(result, judge(renamed))) return;
    for (Issue& issue : result.issues) {
        if (isRename(issue)) issue.suggestion.clear();
    }
}

}  // namespace OrvexConfigValidate
