#include "edit/IncrementalCheck.hpp"

#include <algorithm>
#include <array>
#include <exception>
#include <utility>

#include <orvexconfigvalidate/Configuration.hpp>

#include "edit/CarriedIssues.hpp"
#include "fix/IssueFixes.hpp"
#include "json/JsonReader.hpp"
#include "json/ParsedTextAccess.hpp"
#include "json/PointerText.hpp"
#include "semantic/SemanticRules.hpp"

namespace OrvexConfigValidate {

namespace {

// Where each element of a top-level array sits; none when the member is
// there but not an array.
std::optional<std::vector<TextLocation>> elementPlaces(const ParsedText& parsed,
                                                       const std::string& name) {
    const JsonView member = parsed.root().member(name);
    if (!member) return std::vector<TextLocation>();
    if (!member.isArray()) return std::nullopt;
    std::vector<std::string> pointers;
    pointers.reserve(member.size());
    for (std::size_t i = 0; i < member.size(); ++i)
        pointers.push_back("/" + name + "/" + std::to_string(i));
    return parsed.locateAll(pointers);
}

// How many elements each top-level array has (groups, then bridges); none
// when a member is there but not an array.
std::optional<std::array<std::size_t, 2>> elementCounts(const JsonView& root) {
    std::array<std::size_t, 2> counts{};
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const JsonView member = root.member(arrayName(i == 0));
        if (member && !member.isArray()) return std::nullopt;
        counts[i] = member ? member.size() : 0;
    }
    return counts;
}

// Edits are carried until the elements read since the base hold more than
// this share of its text, or than this many bytes if that is more: then the
// whole text is read again, which makes a new base.
constexpr std::size_t kOwnedShare = 16;
constexpr std::size_t kOwnedAtLeast = std::size_t{64} << 10;

}  // namespace

bool IncrementalCheck::applies(const ValidateOptions& options, bool paired) {
    // Replaced schemas may relate elements to each other; suggestions of a
    // pair come from a pass this class does not run.
    return options.schemaDir.empty() && !(paired && options.strict);
}

void IncrementalCheck::forget() {
    valid = false;
    sharedModel.reset();
    model.reset();
    groupValues = Elements();
    bridgeValues = Elements();
    base.reset();
    ownedBytes = 0;
    elementsRead = false;
}

bool IncrementalCheck::remember(const Shared& check, const ValidationResult& result, int newSource,
                                const std::string& newServerText, const ValidateOptions& options) {
    forget();
    if (!check.parsed || !check.parsed->ok() || !check.parsed->root().isObject()) return false;
    base = check.parsed;
    // Where the elements sit is read at the first edit: a document opened
    // only to be read never needs it.
    const auto counts = elementCounts(base->root());
    if (!counts) return false;
    elementIssues.clear();
    std::size_t others = 0;
    for (const auto& issue : result.issues) {
        if (issue.source != newSource) continue;
        if (!isElementCode(issue.code)) {
            ++others;
            continue;
        }
        const auto element = elementOf(issue.pointer);
        if (!element || element->index >= (*counts)[element->groups ? 0 : 1]) return false;
        elementIssues.push_back(issue);
    }
    serverText = newServerText;
    source = newSource;
    // Every other issue must be one the rule pass gives again: the check's
    // own pass counted them; a pair's pass read the two files as one, so
    // the pass over the bridges document is run here.
    if (check.model && serverText.empty()) {
        sharedModel = check.model;
        if (check.ruleIssues != others) return false;
        valid = true;
        return true;
    }
    if (!serverText.empty() && !check.server) return false;
    serverSettings = serverText.empty() ? nlohmann::json() : check.server.toJson();
    readModel();
    try {
        if (semanticIssues(options).size() != others) return false;
    } catch (const std::exception&) {
        return false;
    }
    valid = true;
    return true;
}

bool IncrementalCheck::readElements(const ParsedText& parsed) {
    const JsonView root = parsed.root();
    for (const Array array : {Array::Groups, Array::Bridges}) {
        const std::string name = arrayName(array == Array::Groups);
        spansOf(array).clear();
        arrayOf(array).reset();
        const auto places = elementPlaces(parsed, name);
        if (!places) return false;
        for (const TextLocation& location : *places)
            spansOf(array).push_back({location.offset, location.length});
        const JsonView member = root.member(name);
        if (!member) continue;
        const TextLocation whole = parsed.locate("/" + name);
        arrayOf(array) = Span{whole.offset, whole.length};
        Elements& values = valuesOf(array);
        values.values.assign(member.elements().begin(), member.elements().end());
        values.owners.resize(values.values.size());
    }
    return true;
}

// Only for the base as it was checked: after an edit the model is carried,
// or the text read whole again.
void IncrementalCheck::readModel() {
    const JsonView root = base->root();
    if (serverText.empty()) {
        model = std::make_unique<Configuration>(kBridgesSchemaId, root);
    } else {
        model = std::make_unique<Configuration>(Configuration::ofPair(serverSettings, root));
    }
}

void IncrementalCheck::replaceElements(Array array, std::size_t first, std::size_t removed,
                                       std::vector<std::shared_ptr<const ParsedText>> added) {
    Elements& elements = valuesOf(array);
    const auto at = static_cast<std::ptrdiff_t>(first);
    const auto end = at + static_cast<std::ptrdiff_t>(removed);
    for (auto owner = elements.owners.begin() + at; owner != elements.owners.begin() + end;
         ++owner) {
        if (*owner) ownedBytes -= leanDocumentOf(**owner)->text().size();
    }
    std::vector<JsonView> views;
    views.reserve(added.size());
    for (const std::shared_ptr<const ParsedText>& owner : added) {
        ownedBytes += leanDocumentOf(*owner)->text().size();
        views.push_back(owner->root());
    }
    elements.values.insert(
        elements.values.erase(elements.values.begin() + at, elements.values.begin() + end),
        views.begin(), views.end());
    elements.owners.insert(
        elements.owners.erase(elements.owners.begin() + at, elements.owners.begin() + end),
        std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
}

std::vector<Issue> IncrementalCheck::semanticIssues(const ValidateOptions& options) const {
    ValidationResult result;
    applySemanticRules(currentModel(), result, options);
    return std::move(result.issues);
}

TextLocation IncrementalCheck::locate(const std::string& pointer, const std::string& text) const {
    TextLocation location;
    const auto element = elementOf(pointer);
    const std::vector<Span>* spans = element ? (element->groups ? &groups : &bridges) : nullptr;
    if (!element || element->index >= spans->size()) {
        // The whole document.
        location.line = 1;
        location.offset =
            text.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0 ? kByteOrderMark.size() : 0;
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
    const ParsedTextAccess::Impl& parts = ParsedTextAccess::parts(parsed);
    if (!parts.ok) return;
    const Locator locator = ParsedTextAccess::locatorOf(parsed);
    FixSite site{elementText, parts.index, parsed.root(), locator};
    issue.fixes = fixesFor(issue, pointerFromTokens(element->rest), site);
    shiftFixes(issue, 0, static_cast<std::ptrdiff_t>(span.offset));
}

std::optional<std::vector<Issue>> IncrementalCheck::update(const Edit& edit,
                                                           const std::string& newText,
                                                           const std::string& newServerText,
                                                           const Validator& validator,
                                                           const ValidateOptions& options) {
    // Past its bound the carry makes way for a new base.
    if (!valid || newServerText != serverText) return std::nullopt;
    if (ownedBytes > std::max(kOwnedAtLeast, leanDocumentOf(*base)->text().size() / kOwnedShare)) {
        return std::nullopt;
    }
    if (!elementsRead) {
        valid = readElements(*base);
        if (!valid) return std::nullopt;
        elementsRead = true;
    }
    // The snapshot's model stays as it was: the carry edits its own copy.
    if (sharedModel) {
        model = std::make_unique<Configuration>(*sharedModel);
        sharedModel.reset();
    }
    std::optional<std::vector<Issue>> kept = carryInside(edit, newText, validator, options);
    if (!kept) kept = carryAcross(edit, newText, validator, options);
    if (!kept) return std::nullopt;
    std::stable_sort(kept->begin(), kept->end(), [](const Issue& a, const Issue& b) {
        return a.location.offset < b.location.offset;
    });
    elementIssues = *kept;

    std::vector<Issue> issues = std::move(*kept);
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

void IncrementalCheck::moveSpans(std::size_t from, std::ptrdiff_t delta) {
    const auto moved = [delta](std::size_t offset) {
        return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(offset) + delta);
    };
    for (const Array array : {Array::Groups, Array::Bridges}) {
        for (Span& span : spansOf(array)) {
            if (span.offset >= from) span.offset = moved(span.offset);
        }
        std::optional<Span>& whole = arrayOf(array);
        if (!whole) continue;
        if (whole->offset >= from) {
            whole->offset = moved(whole->offset);
        } else if (whole->offset + whole->length > from) {
            whole->length = moved(whole->length);
        }
    }
}

std::optional<std::vector<Issue>> IncrementalCheck::newElementIssues(
    const std::vector<std::string_view>& texts, const std::vector<std::size_t>& offsets,
    Array array, std::size_t first, const Validator& validator, const ValidateOptions& options) {
    const std::string name = arrayName(array == Array::Groups);
    const std::string head = "{\"" + name + "\":[";
    std::vector<Issue> fresh;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        // Each element checked alone, as the only element of its array.
        const ValidationResult alone =
            validator.validateText(kBridgesSchemaId, head + std::string(texts[i]) + "]}", options);
        const ElementPlace place{array == Array::Groups, first + i, head.size(), offsets[i],
                                 source};
        std::optional<std::vector<Issue>> moved = movedIssues(alone.issues, place);
        if (!moved) return std::nullopt;
        fresh.insert(fresh.end(), moved->begin(), moved->end());
    }
    return fresh;
}

std::optional<std::vector<Issue>> IncrementalCheck::carryInside(const Edit& edit,
                                                                const std::string& newText,
                                                                const Validator& validator,
                                                                const ValidateOptions& options) {
    // The element whose inside holds the whole stretch (its first and last
    // bytes unchanged).
    std::optional<Array> array;
    std::size_t index = 0;
    for (const Array candidate : {Array::Groups, Array::Bridges}) {
        const std::vector<Span>& spans = spansOf(candidate);
        const auto after = std::upper_bound(
            spans.begin(), spans.end(), edit.from,
            [](std::size_t offset, const Span& span) { return offset < span.offset; });
        if (after == spans.begin()) continue;
        const Span& span = *(after - 1);
        if (span.offset < edit.from && edit.to < span.offset + span.length) {
            array = candidate;
            index = static_cast<std::size_t>(after - 1 - spans.begin());
        }
    }
    if (!array) return std::nullopt;
    Span& span = spansOf(*array)[index];
    const std::size_t newLength =
        static_cast<std::size_t>(static_cast<std::ptrdiff_t>(span.length) + edit.delta);
    const std::string_view elementText = std::string_view(newText).substr(span.offset, newLength);
    std::shared_ptr<const ParsedText> element =
        std::make_shared<const ParsedText>(parseText(elementText));
    if (!element->ok()) return std::nullopt;
    std::optional<std::vector<Issue>> fresh =
        newElementIssues({elementText}, {span.offset}, *array, index, validator, options);
    if (!fresh) return std::nullopt;
    const std::size_t oldElementEnd = span.offset + span.length;
    std::optional<std::vector<Issue>> kept = issuesBeside(
        elementIssues, {*array == Array::Groups, index, 1, 1}, oldElementEnd, edit.delta);
    if (!kept) return std::nullopt;

    // From here on the new text is taken over.
    moveSpans(oldElementEnd, edit.delta);
    span.length = newLength;
    // The old value lives until the model has let go of it.
    const JsonView now = element->root();
    const bool reread =
        *array == Array::Groups ? model->rereadGroup(index, now) : model->rereadBridge(index, now);
    if (!reread) {
        // What was or became no object: the text is read whole again.
        valid = false;
        return std::nullopt;
    }
    reread_ = {span.offset, oldElementEnd, newLength, {{span.offset, element.get()}}, {element}};
    std::vector<std::shared_ptr<const ParsedText>> added;
    added.push_back(std::move(element));
    replaceElements(*array, index, 1, std::move(added));
    kept->insert(kept->end(), fresh->begin(), fresh->end());
    return kept;
}

std::optional<IncrementalCheck::Across> IncrementalCheck::acrossOf(const Edit& edit) const {
    for (const Array array : {Array::Groups, Array::Bridges}) {
        const std::optional<Span>& whole = arrayOf(array);
        // Both brackets unchanged.
        if (!whole || edit.from <= whole->offset || edit.to >= whole->offset + whole->length) {
            continue;
        }
        const std::vector<Span>& spans = spansOf(array);
        Across across;
        across.array = array;
        // The elements the stretch touches, and the gap around them.
        across.first = static_cast<std::size_t>(
            std::partition_point(
                spans.begin(), spans.end(),
                [&edit](const Span& span) { return span.offset + span.length <= edit.from; }) -
            spans.begin());
        std::size_t end = across.first;
        while (end < spans.size() && spans[end].offset < edit.to) ++end;
        across.removed = end - across.first;
        across.gapStart = across.first == 0
                              ? whole->offset + 1
                              : spans[across.first - 1].offset + spans[across.first - 1].length;
        across.gapEnd = end == spans.size() ? whole->offset + whole->length - 1 : spans[end].offset;
        if (across.gapStart > edit.from || across.gapEnd < edit.to) continue;
        across.hasBefore = across.first > 0;
        across.hasAfter = end < spans.size();
        return across;
    }
    return std::nullopt;
}

std::optional<std::vector<Issue>> IncrementalCheck::carryAcross(const Edit& edit,
                                                                const std::string& newText,
                                                                const Validator& validator,
                                                                const ValidateOptions& options) {
    const std::optional<Across> across = acrossOf(edit);
    if (!across) return std::nullopt;
    // The new text between the untouched neighbours, read as a list with a
    // stand-in for each neighbour, so that its commas are checked as the
    // whole text's are. The stand-in is a word: a digit, sign, dot or
    // exponent at the gap's edge cannot run into it as it would into a
    // number, so the list reads only when the whole text would.
    const std::string_view standIn = "null";
    const std::size_t gapLength = static_cast<std::size_t>(
        static_cast<std::ptrdiff_t>(across->gapEnd - across->gapStart) + edit.delta);
    const std::string_view gap = std::string_view(newText).substr(across->gapStart, gapLength);
    std::string list = "[";
    if (across->hasBefore) list += standIn;
    list += gap;
    if (across->hasAfter) list += standIn;
    list += ']';
    const ParsedText parsed = parseTextLeanOver(list);
    if (!parsed.ok() || !parsed.root().isArray()) return std::nullopt;
    const std::size_t skip = across->hasBefore ? 1 : 0;
    const std::size_t count = parsed.root().size() - skip - (across->hasAfter ? 1 : 0);
    // Where the gap starts in the list.
    const std::size_t listGap = 1 + (across->hasBefore ? standIn.size() : 0);
    std::vector<std::string_view> texts;
    std::vector<std::size_t> offsets;
    std::vector<Span> spans;
    for (std::size_t i = 0; i < count; ++i) {
        const TextLocation at = parsed.locate("/" + std::to_string(skip + i));
        const std::size_t offset = across->gapStart + at.offset - listGap;
        texts.push_back(std::string_view(newText).substr(offset, at.length));
        offsets.push_back(offset);
        spans.push_back({offset, at.length});
    }
    std::optional<std::vector<Issue>> fresh =
        newElementIssues(texts, offsets, across->array, across->first, validator, options);
    if (!fresh) return std::nullopt;
    const ElementRange range{across->array == Array::Groups, across->first, across->removed, count};
    std::optional<std::vector<Issue>> kept =
        issuesBeside(elementIssues, range, across->gapEnd, edit.delta);
    if (!kept) return std::nullopt;

    // From here on the new text is taken over. The array's values move:
    // the model reads the new ones and points its other entries at their
    // new places.
    moveSpans(across->gapEnd, edit.delta);
    std::vector<Span>& own = spansOf(across->array);
    const auto at = own.begin() + static_cast<std::ptrdiff_t>(across->first);
    own.insert(own.erase(at, at + static_cast<std::ptrdiff_t>(across->removed)), spans.begin(),
               spans.end());
    std::vector<std::shared_ptr<const ParsedText>> added;
    added.reserve(texts.size());
    reread_ = {across->gapStart, across->gapEnd, gapLength, {}, {}};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        added.push_back(std::make_shared<const ParsedText>(parseText(texts[i])));
        reread_.values.push_back({offsets[i], added.back().get()});
        reread_.kept.push_back(added.back());
    }
    replaceElements(across->array, across->first, across->removed, std::move(added));
    const std::vector<JsonView>& now = valuesOf(across->array).values;
    const bool spliced = across->array == Array::Groups
                             ? model->spliceGroups(now, across->first, across->removed, count)
                             : model->spliceBridges(now, across->first, across->removed, count);
    if (!spliced) {
        valid = false;
        return std::nullopt;
    }
    kept->insert(kept->end(), fresh->begin(), fresh->end());
    return kept;
}

}  // namespace OrvexConfigValidate
