#include "Diagnostics.hpp"

#include <algorithm>

namespace OrvexConfigValidate::Lsp {

namespace {

const char* const kSource = "orvex";

int severityOf(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return 1;
        case Severity::Warning:
            return 2;
        case Severity::Info:
            return 3;
    }
    return 1;
}

nlohmann::json positionJson(const Position& position) {
    return {{"line", position.line}, {"character", position.character}};
}

std::string relatedMessage(const std::string& code) {
    if (code == IssueCode::kDuplicateGroupId) return "first group with this id";
    if (code == IssueCode::kDuplicateKey) return "first occurrence of this member";
    return "related place";
}

}  // namespace

nlohmann::json rangeBetween(std::size_t begin, std::size_t end, const TextPositions& positions) {
    return {{"start", positionJson(positions.positionOf(begin))},
            {"end", positionJson(positions.positionOf(end))}};
}

ByteRange markedBytes(const TextLocation& location, std::string_view text,
                      const TextPositions& positions) {
    if (!location.known()) return {};
    const std::size_t begin = std::min(location.offset, text.size());
    std::size_t end = std::min(begin + location.length, text.size());
    if (end == begin) end = positions.nextCharacter(begin);
    const std::size_t line = positions.lineOf(begin);
    if (positions.lineOf(end) != line) end = positions.lineEnd(line);
    return {begin, end};
}

nlohmann::json rangeOf(const TextLocation& location, std::string_view text,
                       const TextPositions& positions) {
    const ByteRange marked = markedBytes(location, text, positions);
    return rangeBetween(marked.begin, marked.end, positions);
}

nlohmann::json toDiagnostic(const Issue& issue, std::string_view text,
                            const TextPositions& positions, const std::string& uri) {
    std::string message = issue.message;
    if (!issue.hint.empty()) message += "\n" + issue.hint;
    nlohmann::json diagnostic = {{"range", rangeOf(issue.location, text, positions)},
                                 {"severity", severityOf(issue.severity)},
                                 {"code", issue.code},
                                 {"source", kSource},
                                 {"message", message}};
    if (issue.related.known()) {
        diagnostic["relatedInformation"] = nlohmann::json::array(
            {{{"location", {{"uri", uri}, {"range", rangeOf(issue.related, text, positions)}}},
              {"message", relatedMessage(issue.code)}}});
    }
    return diagnostic;
}

nlohmann::json failureDiagnostic(const std::string& what) {
    const nlohmann::json origin = {{"line", 0}, {"character", 0}};
    return {{"range", {{"start", origin}, {"end", origin}}},
            {"severity", 1},
            {"code", IssueCode::kOutOfMemory},
            {"source", kSource},
            {"message", what}};
}

nlohmann::json notShownDiagnostic(std::size_t count) {
    const nlohmann::json origin = {{"line", 0}, {"character", 0}};
    return {{"range", {{"start", origin}, {"end", origin}}},
            {"severity", 3},
            {"source", kSource},
            {"message",
             std::to_string(count) + (count == 1 ? " more issue" : " more issues") + " not shown"}};
}

JsonPayload diagnosticsOf(const Snapshot& snapshot, const TextPositions& positions,
                          const std::string& uri) {
    const ValidationResult& result = snapshot.result();
    std::string text = "[";
    std::size_t notShown = result.omittedIn(snapshot.source()).total();
    std::size_t published = 0;
    for (const Issue& issue : result.issues) {
        if (issue.source != snapshot.source()) continue;
        if (published == kMaxPublished) {
            ++notShown;
            continue;
        }
        if (published++ != 0) text += ',';
        text += serialise(toDiagnostic(issue, snapshot.text(), positions, uri));
    }
    if (notShown != 0) {
        if (published != 0) text += ',';
        text += serialise(notShownDiagnostic(notShown));
    }
    text += ']';
    return JsonPayload::encoded(std::move(text));
}

}  // namespace OrvexConfigValidate::Lsp
