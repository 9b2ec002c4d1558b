#include "FuzzInvariants.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <tuple>
#include <vector>

namespace OrvexConfigValidate {

namespace {

[[noreturn]] void violated(const char* what, const std::string& schemaId) {
    std::fprintf(stderr, "invariant violated for schema id '%s': %s\n", schemaId.c_str(), what);
    std::abort();
}

using IssueFacts = std::tuple<int, std::string, std::string, Severity>;

std::vector<IssueFacts> keysOf(const ValidationResult& result) {
    std::vector<IssueFacts> keys;
    for (const Issue& issue : result.issues) {
        keys.emplace_back(issue.source, issue.code, issue.pointer, issue.severity);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

}  // namespace

void checkSafeFixesAddNoIssue(std::string_view text, const ValidationResult& before, int source,
                              const CheckText& check) {
    const AppliedFixes fixed = applySafeFixes(text, before.issues, source);
    if (fixed.applied == 0) return;
    const ValidationResult after = check(fixed.text);
    const std::vector<IssueFacts> was = keysOf(before);
    const std::vector<IssueFacts> now = keysOf(after);
    if (!std::includes(was.begin(), was.end(), now.begin(), now.end()) ||
        (before.ok && !after.ok)) {
        std::fprintf(stderr, "safe fixes of source %d made:\n%s\n", source, fixed.text.c_str());
        for (const Issue& issue : after.issues) {
            std::fprintf(stderr, "  %d %s %s\n", issue.source, issue.code.c_str(),
                         issue.pointer.c_str());
        }
        std::abort();
    }
}

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
