#include <orvexconfigvalidate/IncrementalCheck.hpp>

#include <algorithm>
#include <cstring>
#include <exception>
#include <utility>

#include <orvexconfigvalidate/Configuration.hpp>

#include "fix/IssueFixes.hpp"
#include "json/JsonReader.hpp"
#include "json/ParsedTextAccess.hpp"
#include "json/PointerText.hpp"
#include "semantic/SemanticRules.hpp"

namespace OrvexConfigValidate {

namespace {

const std::string_view kBom = "\xEF\xBB\xBF";

bool isElementCode(const std::string& code) {
    return code == "schema" || code == "duplicate_key" || code == "unknown_member";
}

// Which element of "groups" or "bridges" a pointer lies in, if any.
struct ElementOf {
    bool groups = false;
    std::size_t index = 0;
    std::vector<std::string> rest;
};

std::optional<ElementOf> elementOf(const std::string& pointer) {
    const auto tokens = splitPointer(pointer);
    if (!tokens || tokens->size() < 2 || ((*tokens)[0] != "groups" && (*tokens)[0] != "bridges")) {
        return std::nullopt;
    }
    const auto index = arrayIndexOf((*tokens)[1]);
    if (!index) return std::nullopt;
    ElementOf element;
    element.groups = (*tokens)[0] == "groups";
    element.index = *index;
    element.rest.assign(tokens->begin() + 2, tokens->end());
    return element;
}

std::string pointerFromTokens(const std::vector<std::string>& tokens) {
    std::string pointer;
    for (const auto& token : tokens) appendPointerToken(pointer, token);
    return pointer;
}

// Whole blocks are compared first; that is what keeps a change of a
// megabyte text cheap.
const std::size_t kBlock = 4096;

std::size_t commonPrefix(const char* a, const char* b, std::size_t limit) {
    std::size_t at = 0;
    while (at + kBlock <= limit && std::memcmp(a + at, b + at, kBlock) == 0) at += kBlock;
    while (at < limit && a[at] == b[at]) ++at;
    return at;
}

// The common length before the two ends, at most limit.
std::size_t commonSuffix(const char* aEnd, const char* bEnd, std::size_t limit) {
    std::size_t at = 0;
    while (at + kBlock <= limit &&
           std::memcmp(aEnd - at - kBlock, bEnd - at - kBlock, kBlock) == 0) {
        at += kBlock;
    }
    while (at < limit && aEnd[-static_cast<std::ptrdiff_t>(at) - 1] ==
                             bEnd[-static_cast<std::ptrdiff_t>(at) - 1]) {
        ++at;
    }
    return at;
}

// A fingerprint of a text, to tell the text the state was made from from
// another of the same size. Eight lanes, each a chain of bijective steps,
// keep the multiplications apart (a text of tens of megabytes costs a few
// milliseconds), and a difference in a single word always shows.
std::uint64_t fingerprint(std::string_view text) {
    constexpr std::uint64_t kMultiplier = 0xFF51AFD7ED558CCDULL;
    constexpr std::size_t kLanes = 8;
    std::uint64_t lanes[kLanes];
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        lanes[lane] = 0x9E3779B97F4A7C15ULL * (lane + 1);
    }
    std::size_t at = 0;
    for (; at + sizeof lanes <= text.size(); at += sizeof lanes) {
        std::uint64_t words[kLanes];
        std::memcpy(words, text.data() + at, sizeof words);
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            lanes[lane] = (lanes[lane] ^ words[lane]) * kMultiplier;
        }
    }
    std::uint64_t hash = text.size();
    for (const std::uint64_t lane : lanes) {
        hash = (hash ^ lane) * kMultiplier;
        hash ^= hash >> 32;
    }
    for (; at < text.size(); ++at) {
        hash = (hash ^ static_cast<unsigned char>(text[at])) * kMultiplier;
    }
    return hash ^ (hash >> 31);
}

void shift(TextLocation& location, std::size_t from, std::ptrdiff_t delta) {
    if (location.known() && location.offset >= from) {
        location.offset =
            static_cast<std::size_t>(static_cast<std::ptrdiff_t>(location.offset) + delta);
    }
}

// Moves the edits of an issue's fixes that lie at or after `from`.
void shiftFixes(Issue& issue, std::size_t from, std::ptrdiff_t delta) {
    for (Fix& fix : issue.fixes) {
        for (TextEdit& edit : fix.edits) {
            if (edit.offset >= from) {
                edit.offset =
                    static_cast<std::size_t>(static_cast<std::ptrdiff_t>(edit.offset) + delta);
            }
        }
    }
}

// Line and byte column of every issue, from its offset in the text.
void placeLines(std::vector<Issue>& issues, const std::string& text) {
    if (issues.empty()) return;
    const LineTable lines(text);
    const bool bom = text.compare(0, kBom.size(), kBom) == 0;
    const auto place = [&](TextLocation& location) {
        if (!location.known()) return;
        const std::size_t line = lines.lineOf(location.offset);
        location.line = line + 1;
        std::size_t column = location.offset - lines.lineStart(line) + 1;
        if (line == 0 && bom && column > kBom.size()) column -= kBom.size();
        location.column = column;
    };
    for (auto& issue : issues) {
        const std::size_t relatedLine = issue.related.line;
        place(issue.location);
        place(issue.related);
        // A repeated member's message names the line of its first
        // occurrence, which moves with the text: it is made anew from the
        // member's name and that line.
        const auto tokens = splitPointer(issue.pointer);
        if (issue.code == IssueCode::kDuplicateKey && relatedLine != issue.related.line && tokens &&
            !tokens->empty()) {
            issue.message = duplicateKeyMessage(tokens->back(), issue.related.line);
        }
    }
}

// Where each element of a top-level array sits; none when the member is
// there but not an array.
std::optional<std::vector<TextLocation>> elementPlaces(const ParsedText& parsed,
                                                       const std::string& name) {
    const auto member = parsed.document().find(name);
    if (member == parsed.document().end()) return std::vector<TextLocation>();
    if (!member->is_array()) return std::nullopt;
    std::vector<std::string> pointers;
    pointers.reserve(member->size());
    for (std::size_t i = 0; i < member->size(); ++i)
        pointers.push_back("/" + name + "/" + std::to_string(i));
    return parsed.locateAll(pointers);
}

// An element checked alone: the only element of its array in a text that
// starts with a head of headSize bytes; in the whole text it is element
// `index` at `offset`.
struct ElementPlace {
    const std::string& array;  // "groups" or "bridges"
    bool groups;
    std::size_t index;
    std::size_t headSize;
    std::size_t offset;
    int source;
};

// The element's own issues from its check alone, moved to its place in the
// whole text; none when one of them lies outside the element.
std::optional<std::vector<Issue>> movedIssues(const std::vector<Issue>& alone,
                                              const ElementPlace& element) {
    std::vector<Issue> moved;
    for (Issue issue : alone) {
        if (!isElementCode(issue.code)) continue;
        const auto place = elementOf(issue.pointer);
        if (!place || place->index != 0 || place->groups != element.groups) return std::nullopt;
        std::vector<std::string> tokens{element.array, std::to_string(element.index)};
        tokens.insert(tokens.end(), place->rest.begin(), place->rest.end());
        issue.pointer = pointerFromTokens(tokens);
        // The path names the place the same way; the element's own issues
        // never carry an id suffix.
        issue.path = issue.pointer;
        issue.source = element.source;
        for (TextLocation* location : {&issue.location, &issue.related}) {
            if (location->known())
                location->offset = location->offset - element.headSize + element.offset;
        }
        shiftFixes(issue, 0,
                   static_cast<std::ptrdiff_t>(element.offset) -
                       static_cast<std::ptrdiff_t>(element.headSize));
        moved.push_back(std::move(issue));
    }
    return moved;
}

// The element issues of every other element, moved by the edit: `delta`
// bytes from `from` on.
std::vector<Issue> issuesBeside(std::vector<Issue>& issues, const ElementPlace& element,
                                std::size_t from, std::ptrdiff_t delta) {
    std::vector<Issue> kept;
    for (auto& issue : issues) {
        const auto place = elementOf(issue.pointer);
        if (place && place->groups == element.groups && place->index == element.index) continue;
        shift(issue.location, from, delta);
        shift(issue.related, from, delta);
        shiftFixes(issue, from, delta);
        kept.push_back(std::move(issue));
    }
    return kept;
}

}  // namespace

bool IncrementalCheck::applies(const ValidateOptions& options, bool paired) {
    // Replaced schemas may relate elements to each other; suggestions of a
    // pair come from a pass this class does not run.
    return options.schemaDir.empty() && !(paired && options.strict);
}

bool IncrementalCheck::remember(const std::string& newText, const ValidationResult& result,
                                int newSource, const std::string& newServerText,
                                const ValidateOptions& options) {
    return remember(parseText(newText), newText, result, newSource, newServerText, options);
}

bool IncrementalCheck::remember(ParsedText&& parsed, const std::string& newText,
                                const ValidationResult& result, int newSource,
                                const std::string& newServerText, const ValidateOptions& options) {
    valid = false;
    if (!parsed.ok() || !parsed.document().is_object()) return false;
    groups.clear();
    bridges.clear();
    for (const Array array : {Array::Groups, Array::Bridges}) {
        const auto places = elementPlaces(parsed, array == Array::Groups ? "groups" : "bridges");
        if (!places) return false;
        for (const TextLocation& location : *places)
            spansOf(array).push_back({location.offset, location.length});
    }
    elementIssues.clear();
    std::size_t others = 0;
    for (const auto& issue : result.issues) {
        if (issue.source != newSource) continue;
        if (!isElementCode(issue.code)) {
            ++others;
            continue;
        }
        const auto element = elementOf(issue.pointer);
        if (!element || element->index >= (element->groups ? groups : bridges).size()) {
            return false;
        }
        elementIssues.push_back(issue);
    }
    document = std::move(parsed.document());
    noteText(newText);
    serverText = newServerText;
    source = newSource;
    // Every other issue must be one the rule pass gives again.
    ParsedText server = parseText(serverText);
    if (!serverText.empty() && !server.ok()) return false;
    serverSettings = serverText.empty() ? nlohmann::json() : std::move(server.document());
    readModel();
    try {
        if (semanticIssues(options).size() != others) return false;
    } catch (const std::exception&) {
        return false;
    }
    valid = true;
    return true;
}

void IncrementalCheck::noteText(const std::string& text) {
    textSize = text.size();
    textPrint = fingerprint(text);
}

void IncrementalCheck::readModel() {
    model.reset();
    if (serverText.empty()) {
        model.emplace(kBridgesSchemaId, document);
    } else {
        model.emplace(Configuration::ofPair(serverSettings, document));
    }
}

std::vector<Issue> IncrementalCheck::semanticIssues(const ValidateOptions& options) const {
    ValidationResult result;
    applySemanticRules(*model, result, options);
    return std::move(result.issues);
}

TextLocation IncrementalCheck::locate(const std::string& pointer, const std::string& text) const {
    TextLocation location;
    const auto element = elementOf(pointer);
    const std::vector<Span>* spans = element ? (element->groups ? &groups : &bridges) : nullptr;
    if (!element || element->index >= spans->size()) {
        // The whole document.
        location.line = 1;
        location.offset = text.compare(0, kBom.size(), kBom) == 0 ? kBom.size() : 0;
        location.length = text.size() - location.offset;
        return location;
    }
    const Span& span = (*spans)[element->index];
    if (element->rest.empty()) {
        location.line = 1;
        location.offset = span.offset;
        location.length = span.length;
        return location;
    }
    const ParsedText parsed = parseText(std::string_view(text).substr(span.offset, span.length));
    location = parsed.locate(pointerFromTokens(element->rest));
    location.offset += span.offset;
    return location;
}

void IncrementalCheck::fixRuleIssue(Issue& issue, const std::string& text) const {
    const auto element = elementOf(issue.pointer);
    if (!element || !mayHaveFixes(issue)) return;
    const std::vector<Span>& spans = element->groups ? groups : bridges;
    if (element->index >= spans.size()) return;
    const Span& span = spans[element->index];
    const std::string_view elementText = std::string_view(text).substr(span.offset, span.length);
    const ParsedText parsed = parseText(elementText);
    const ParsedTextAccess::Impl& parts = ParsedTextAccess::of(parsed);
    if (!parts.ok) return;
    Locator locator(parts.index, parts.document, false);
    FixSite site{elementText, parts.index, parts.document, locator};
    issue.fixes = fixesFor(issue, pointerFromTokens(element->rest), site);
    shiftFixes(issue, 0, static_cast<std::ptrdiff_t>(span.offset));
}

std::optional<std::vector<Issue>> IncrementalCheck::update(const std::string& text,
                                                           const std::string& newText,
                                                           const std::string& newServerText,
                                                           const Validator& validator,
                                                           const ValidateOptions& options) {
    if (!valid || newServerText != serverText || text.size() != textSize ||
        fingerprint(text) != textPrint) {
        return std::nullopt;
    }
    // The edited stretch: what lies between the common start and end.
    const std::size_t limit = std::min(text.size(), newText.size());
    const std::size_t prefix = commonPrefix(text.data(), newText.data(), limit);
    const std::size_t suffix =
        commonSuffix(text.data() + text.size(), newText.data() + newText.size(), limit - prefix);
    const std::size_t oldEnd = text.size() - suffix;
    const auto delta =
        static_cast<std::ptrdiff_t>(newText.size()) - static_cast<std::ptrdiff_t>(text.size());

    // The element whose inside holds the whole stretch (its first and last
    // bytes unchanged).
    std::optional<Array> array;
    std::size_t index = 0;
    for (const Array candidate : {Array::Groups, Array::Bridges}) {
        const std::vector<Span>& spans = spansOf(candidate);
        const auto after = std::upper_bound(
            spans.begin(), spans.end(), prefix,
            [](std::size_t offset, const Span& span) { return offset < span.offset; });
        if (after == spans.begin()) continue;
        const Span& span = *(after - 1);
        if (span.offset < prefix && oldEnd < span.offset + span.length) {
            array = candidate;
            index = static_cast<std::size_t>(after - 1 - spans.begin());
        }
    }
    if (!array) return std::nullopt;
    Span& span = spansOf(*array)[index];
    const std::size_t newLength =
        static_cast<std::size_t>(static_cast<std::ptrdiff_t>(span.length) + delta);
    const std::string_view elementText = std::string_view(newText).substr(span.offset, newLength);
    ParsedText element = parseText(elementText);
    if (!element.ok()) return std::nullopt;

    // The element checked alone, as the only element of its array.
    const std::string name = *array == Array::Groups ? "groups" : "bridges";
    const std::string head = "{\"" + name + "\":[";
    const ValidationResult alone =
        validator.validateText(kBridgesSchemaId, head + std::string(elementText) + "]}", options);
    const ElementPlace place{name,  *array == Array::Groups, index, head.size(), span.offset,
                             source};
    std::optional<std::vector<Issue>> fresh = movedIssues(alone.issues, place);
    if (!fresh) return std::nullopt;

    // From here on the new text is taken over.
    const std::size_t oldElementEnd = span.offset + span.length;
    std::vector<Issue> kept = issuesBeside(elementIssues, place, oldElementEnd, delta);
    for (Array each : {Array::Groups, Array::Bridges}) {
        for (auto& other : spansOf(each)) {
            if (other.offset >= oldElementEnd) {
                other.offset =
                    static_cast<std::size_t>(static_cast<std::ptrdiff_t>(other.offset) + delta);
            }
        }
    }
    span.length = newLength;
    // The element's slot stays where it is, so the model's other entries
    // still point at their values; the old value lives until the model has
    // let go of it.
    nlohmann::json& slot = document[name][index];
    const nlohmann::json old = std::exchange(slot, std::move(element.document()));
    const bool reread =
        *array == Array::Groups ? model->rereadGroup(index) : model->rereadBridge(index);
    if (!reread) readModel();
    noteText(newText);
    kept.insert(kept.end(), fresh->begin(), fresh->end());
    std::stable_sort(kept.begin(), kept.end(), [](const Issue& a, const Issue& b) {
        return a.location.offset < b.location.offset;
    });
    elementIssues = kept;

    std::vector<Issue> issues = std::move(kept);
    std::vector<Issue> rules;
    try {
        rules = semanticIssues(options);
    } catch (const std::exception&) {
        valid = false;
        throw;
    }
    for (auto& issue : rules) {
        issue.source = source;
        issue.location = locate(issue.pointer, newText);
        if (!issue.relatedPointer.empty()) issue.related = locate(issue.relatedPointer, newText);
        fixRuleIssue(issue, newText);
        issues.push_back(std::move(issue));
    }
    placeLines(issues, newText);
    return issues;
}

}  // namespace OrvexConfigValidate
