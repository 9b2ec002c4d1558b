#include <orvexconfigvalidate/Validation.hpp>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>

#include "KeptModel.hpp"
#include "Verdict.hpp"
#include "json/Locator.hpp"
#include "json/ParsedTextAccess.hpp"
#include "json/PointerText.hpp"

namespace OrvexConfigValidate {

namespace {

using TextParts = ParsedTextAccess::Impl;
using ValidateFunction =
    std::function<ValidationResult(const std::string&, JsonView, const ValidateOptions&)>;

// Where in one text the issues of one document lie.
class TextPlaces {
  public:
    explicit TextPlaces(const Document& parsed) : locator_(ParsedTextAccess::locatorOf(parsed)) {}

    void place(Issue& issue) const {
        issue.location = locator_.locate(issue.pointer);
        if (!issue.relatedPointer.empty()) issue.related = locator_.locate(issue.relatedPointer);
    }

  private:
    Locator locator_;
};

// The reader's own findings (duplicate members) go first, as they come
// from reading the text, before any stage judged it; of all, the result
// keeps its bound.
void prependReaderIssues(ValidationResult& result, const TextParts& text, int source) {
    std::size_t take = text.issues.size();
    if (result.keepAtMost != 0) take = std::min(take, result.keepAtMost);
    std::vector<Issue> issues(text.issues.begin(),
                              text.issues.begin() + static_cast<std::ptrdiff_t>(take));
    for (std::size_t i = take; i < text.issues.size(); ++i) {
        result.countOmitted(text.issues[i].severity, source == 1);
    }
    for (Issue& issue : issues) issue.source = source;
    result.issues.insert(result.issues.begin(), std::make_move_iterator(issues.begin()),
                         std::make_move_iterator(issues.end()));
    result.dropPastBound();
}

ValidationResult unparsable(const TextParts& text, int source, const ValidateOptions& options) {
    ValidationResult result;
    result.keepAtMost = options.maxIssues;
    prependReaderIssues(result, text, source);
    result.ok = false;
    return result;
}

ValidationResult validateOne(const ValidateFunction& validate, const std::string& schemaId,
                             const Document& parsed, const ValidateOptions& options, int source) {
    const TextParts& text = ParsedTextAccess::parts(parsed);
    if (!text.ok) return unparsable(text, source, options);
    ValidationResult result = validate(schemaId, parsed.root(), options);
    const TextPlaces places(parsed);
    for (Issue& issue : result.issues) {
        issue.source = source;
        places.place(issue);
    }
    prependReaderIssues(result, text, source);
    applyVerdict(result, options);
    return result;
}

// Which text an envelope pointer belongs to, and the pointer within it.
// Issues about the envelope as a whole go to the server text.
int splitEnvelopePointer(std::string& pointer) {
    for (const auto& [member, source] :
         {std::pair<std::string, int>{"/server", 0}, {"/bridges", 1}}) {
        if (pointer.compare(0, member.size(), member) == 0 &&
            (pointer.size() == member.size() || pointer[member.size()] == '/')) {
            pointer.erase(0, member.size());
            return source;
        }
    }
    pointer.clear();
    return 0;
}

ValidationResult validatePair(const ValidateFunction& validate, const Document& server,
                              const Document& bridges, const ValidateOptions& options) {
    const TextParts& serverText = ParsedTextAccess::parts(server);
    const TextParts& bridgesText = ParsedTextAccess::parts(bridges);
    if (!serverText.ok || !bridgesText.ok) {
        // What can be read is still judged, on its own.
        ValidationResult first =
            serverText.ok ? validateOne(validate, "BridgingServerConfiguration", server, options, 0)
                          : unparsable(serverText, 0, options);
        ValidationResult second =
            bridgesText.ok ? validateOne(validate, "BridgingConfiguration", bridges, options, 1)
                           : unparsable(bridgesText, 1, options);
        first.issues.insert(first.issues.end(), std::make_move_iterator(second.issues.begin()),
                            std::make_move_iterator(second.issues.end()));
        // Whatever the bridges text's own check left out is of that text.
        first.omitted += second.omitted;
        first.omittedInBridges += second.omitted;
        first.dropPastBound();
        first.ok = false;
        return first;
    }
    // Both texts judged as one envelope over their documents' roots.
    ValidationResult result;
    {
        const LeanEnvelope envelope(*serverText.lean, *bridgesText.lean);
        result = validate(kEnvelopeSchemaId, envelope.root(), options);
    }
    const TextPlaces serverPlaces(server);
    const TextPlaces bridgesPlaces(bridges);
    // Pointers are the texts' own from here.
    result.envelope = false;
    for (Issue& issue : result.issues) {
        issue.source = splitEnvelopePointer(issue.pointer);
        if (!issue.relatedPointer.empty()) splitEnvelopePointer(issue.relatedPointer);
        (issue.source == 0 ? serverPlaces : bridgesPlaces).place(issue);
    }
    prependReaderIssues(result, bridgesText, 1);
    prependReaderIssues(result, serverText, 0);
    applyVerdict(result, options);
    return result;
}

ValidateFunction memberValidate(const Validator& validator) {
    return [&validator](const std::string& schemaId, JsonView document,
                        const ValidateOptions& options) {
        return validateViewWith(validator, schemaId, document, options, nullptr);
    };
}

}  // namespace

ValidationResult Validator::validateText(const std::string& schemaId, const Document& parsed,
                                         const ValidateOptions& options) const {
    return validateOne(memberValidate(*this), schemaId, parsed, options, 0);
}

ValidationResult Validator::validateTextPair(const Document& server, const Document& bridges,
                                             const ValidateOptions& options) const {
    return validatePair(memberValidate(*this), server, bridges, options);
}

ValidationResult Validator::validateText(const std::string& schemaId, std::string_view text,
                                         const ValidateOptions& options) const {
    const Document parsed = parseTextLeanOver(text);
    ValidationResult result = validateText(schemaId, parsed, options);
    addFixes(result, parsed, text, 0);
    return result;
}

ValidationResult validateTextKeepingModel(const Validator& validator, const std::string& schemaId,
                                          const Document& parsed, const ValidateOptions& options,
                                          KeptModel& kept) {
    const ValidateFunction keeping = [&validator, &kept](const std::string& id, JsonView document,
                                                         const ValidateOptions& chosen) {
        return validateViewWith(validator, id, document, chosen, &kept);
    };
    return validateOne(keeping, schemaId, parsed, options, 0);
}

ValidationResult Validator::validateTextPair(std::string_view serverText,
                                             std::string_view bridgesText,
                                             const ValidateOptions& options) const {
    const Document server = parseTextLeanOver(serverText);
    const Document bridges = parseTextLeanOver(bridgesText);
    ValidationResult result = validateTextPair(server, bridges, options);
    addFixes(result, server, serverText, 0);
    addFixes(result, bridges, bridgesText, 1);
    return result;
}

}  // namespace OrvexConfigValidate
