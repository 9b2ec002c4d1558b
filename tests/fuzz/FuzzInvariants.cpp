#include "FuzzInvariants.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace OrvexConfigValidate {

namespace {

[[noreturn]] void violated(const char* what, const std::string& schemaId) {
    std::fprintf(stderr, "invariant violated for schema id '%s': %s\n", schemaId.c_str(), what);
    std::abort();
}

}  // namespace

void checkInvariants(const std::string& schemaId, const nlohmann::json& document) {
    for (int flags = 0; flags < 4; ++flags) {
        ValidateOptions options;
        options.failOnWarning = (flags & 1) != 0;
        options.failOnInfo = (flags & 2) != 0;
        ValidationResult result;
        try {
            result = validate(schemaId, document, options);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "exception: %s\n", e.what());
            violated("an exception escaped validate", schemaId);
        } catch (...) {
            violated("a non-standard exception escaped validate", schemaId);
        }
        for (const Issue& issue : result.issues) {
            if (issue.path.empty()) violated("issue with empty path", schemaId);
            if (issue.code.empty()) violated("issue with empty code", schemaId);
            const auto severity = static_cast<int>(issue.severity);
            if (severity < 0 || severity > 2) violated("severity out of range", schemaId);
        }
        const bool expectedOk = std::none_of(
            result.issues.begin(), result.issues.end(),
            [&options](const Issue& issue) { return failsVerdict(issue.severity, options); });
        if (result.ok != expectedOk) violated("ok does not follow the verdict rule", schemaId);
    }
}

void checkAllInvariants(const nlohmann::json& document) {
    for (const std::string& id : schemaIds()) {
        checkInvariants(id, document);
    }
    checkInvariants("NoSuchSchema", document);
}

}  // namespace OrvexConfigValidate
