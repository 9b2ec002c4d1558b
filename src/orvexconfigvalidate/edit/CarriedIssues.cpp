#include "edit/CarriedIssues.hpp"

#include <orvexconfigvalidate/Configuration.hpp>

#include "json/JsonReader.hpp"
#include "json/PointerText.hpp"

namespace OrvexConfigValidate {

bool isElementCode(const std::string& code) {
    return code == "schema" || code == "duplicate_key" || code == "unknown_member";
}

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

const char* arrayName(bool groups) {
    return groups ? "groups" : "bridges";
}

std::string elementPointer(bool groups, std::size_t index, const std::vector<std::string>& rest) {
    std::string pointer;
    appendPointerToken(pointer, arrayName(groups));
    appendPointerToken(pointer, std::to_string(index));
    for (const auto& token : rest) appendPointerToken(pointer, token);
    return pointer;
}

void shift(TextLocation& location, std::size_t from, std::ptrdiff_t delta) {
    if (location.known() && location.offset >= from) {
        location.offset =
            static_cast<std::size_t>(static_cast<std::ptrdiff_t>(location.offset) + delta);
    }
}

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

void placeLines(std::vector<Issue>& issues, const std::string& text) {
    if (issues.empty()) return;
    const LineTable lines(text);
    const bool bom = text.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0;
    const auto place = [&](TextLocation& location) {
        if (!location.known()) return;
        const std::size_t line = lines.lineOf(location.offset);
        location.line = line + 1;
        std::size_t column = location.offset - lines.lineStart(line) + 1;
        if (line == 0 && bom && column > kByteOrderMark.size()) column -= kByteOrderMark.size();
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

std::optional<std::vector<Issue>> movedIssues(const std::vector<Issue>& alone,
                                              const ElementPlace& element) {
    std::vector<Issue> moved;
    for (Issue issue : alone) {
        if (!isElementCode(issue.code)) continue;
        const auto place = elementOf(issue.pointer);
        if (!place || place->index != 0 || place->groups != element.groups) return std::nullopt;
        issue.pointer = elementPointer(element.groups, element.index, place->rest);
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

std::optional<std::vector<Issue>> issuesBeside(const std::vector<Issue>& issues,
                                               const ElementRange& range, std::size_t from,
                                               std::ptrdiff_t delta) {
    std::vector<Issue> kept;
    const std::size_t end = range.first + range.removed;
    for (Issue issue : issues) {
        const auto place = elementOf(issue.pointer);
        const bool sameArray = place && place->groups == range.groups;
        if (sameArray && place->index >= range.first && place->index < end) continue;
        if (sameArray && place->index >= end && range.added != range.removed) {
            // The path names the place as the pointer does; any other form
            // could not be renumbered here.
            if (issue.path != issue.pointer) return std::nullopt;
            issue.pointer = elementPointer(range.groups, place->index - range.removed + range.added,
                                           place->rest);
            issue.path = issue.pointer;
        }
        shift(issue.location, from, delta);
        shift(issue.related, from, delta);
        shiftFixes(issue, from, delta);
        kept.push_back(std::move(issue));
    }
    return kept;
}

}  // namespace OrvexConfigValidate
