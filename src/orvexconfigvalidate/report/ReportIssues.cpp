#include <algorithm>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <vector>

#include <orvexconfigvalidate/Report.hpp>
#include <orvexconfigvalidate/Text.hpp>

namespace OrvexConfigValidate {

namespace {

std::optional<TextPosition> positionOf(const TextLocation& location) {
    if (!location.known()) return std::nullopt;
    return TextPosition{location.line, location.column};
}

// A diagnostic's place in one of the unit's texts, for counting its column
// in code points.
struct Place {
    std::size_t offset;
    std::size_t lineStart;
    TextPosition* position;
};

// Code-point columns of many places of one text in one sweep: in offset
// order, a place on the same line as the one before goes on counting from
// there, so a long one-line text costs one pass, not one per place. Every
// byte that is not a UTF-8 continuation byte starts a code point.
void countCharacterColumns(std::string_view text, std::vector<Place>& places) {
    std::sort(places.begin(), places.end(),
              [](const Place& a, const Place& b) { return a.offset < b.offset; });
    std::size_t from = 0;
    std::size_t lineStart = SIZE_MAX;
    std::size_t column = 1;
    for (const Place& place : places) {
        const std::size_t end = std::min(place.offset, text.size());
        if (place.lineStart != lineStart) {
            lineStart = place.lineStart;
            from = std::min(lineStart, end);
            column = 1;
        }
        for (; from < end; ++from) {
            if ((static_cast<unsigned char>(text[from]) & 0xC0) != 0x80) ++column;
        }
        place.position->characterColumn = column;
    }
}

// The fixes of issues, placed in their text: lines and byte columns at
// once, code-point columns with the other places of the text.
class FixPlacer {
  public:
    explicit FixPlacer(std::string_view text) : lines_(text), bom_(startsWithByteOrderMark(text)) {}

    void place(const Issue& issue, Diagnostic& diagnostic, std::vector<Place>& places) {
        for (const Fix& fix : issue.fixes) {
            DiagnosticFix& placed = diagnostic.fixes.emplace_back();
            placed.title = fix.title;
            for (const TextEdit& edit : fix.edits) {
                placed.replacements.push_back({{}, {}, edit.newText});
            }
        }
        // Pointers into the fixes are taken once they no longer grow.
        for (std::size_t f = 0; f < issue.fixes.size(); ++f) {
            const auto& edits = issue.fixes[f].edits;
            for (std::size_t e = 0; e < edits.size(); ++e) {
                FixReplacement& replacement = diagnostic.fixes[f].replacements[e];
                places.push_back(at(edits[e].offset, replacement.start));
                places.push_back(at(edits[e].offset + edits[e].length, replacement.end));
            }
        }
    }

  private:
    Place at(std::size_t offset, TextPosition& position) const {
        const std::size_t line = lines_.lineOf(offset);
        std::size_t start = lines_.lineStart(line);
        // A byte-order mark is no part of the first line.
        if (line == 0 && bom_ && offset >= kByteOrderMark.size()) start = kByteOrderMark.size();
        position.line = line + 1;
        position.column = offset - start + 1;
        return {offset, start, &position};
    }

    LineTable lines_;
    bool bom_;
};

Diagnostic diagnosticOf(const Issue& issue, std::size_t entry) {
    Diagnostic d;
    d.file = entry;
    d.severity = issue.severity;
    // A parse error has no place in a document; "/" is the whole file.
    if (issue.code != IssueCode::kParseError && issue.code != IssueCode::kReadError) {
        d.path = issue.pointer.empty() ? "/" : issue.pointer;
    }
    d.code = issue.code;
    d.message = issue.message;
    d.position = positionOf(issue.location);
    d.hint = issue.hint;
    d.related = positionOf(issue.related);
    d.identity = issue.identity;
    return d;
}

// The issues of one validation to list, as indices in report order: the
// first maxIssues of each file (0: all). The others are counted in their
// file's entry, and every issue counts for the verdict.
std::vector<std::size_t> issuesToList(Report& report, const ValidationResult& result,
                                      const std::vector<std::size_t>& entries,
                                      std::size_t maxIssues, const ValidateOptions& options) {
    const std::vector<Issue>& issues = result.issues;
    std::vector<std::size_t> order(issues.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    const auto place = [&](std::size_t k) {
        const TextLocation& at = issues[k].location;
        return std::make_tuple(issues[k].source, at.known() ? at.line : 0,
                               at.known() ? at.column : 0);
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return place(a) < place(b); });
    std::vector<std::size_t> listed(entries.size(), 0);
    std::vector<std::size_t> kept;
    for (const std::size_t k : order) {
        const Issue& issue = issues[k];
        const auto source = static_cast<std::size_t>(issue.source);
        FileEntry& file = report.files.at(entries.at(source));
        if (issue.code == IssueCode::kParseError || issue.code == IssueCode::kReadError) {
            file.unreadable = true;
        }
        if (maxIssues != 0 && listed[source] == maxIssues) {
            file.notShown.add(issue.severity);
            if (failsVerdict(issue.severity, options)) file.ok = false;
            continue;
        }
        ++listed[source];
        kept.push_back(k);
    }
    // And those the library only counted.
    for (std::size_t source = 0; source < entries.size(); ++source) {
        const IssueCounts omitted = result.omittedIn(static_cast<int>(source));
        FileEntry& file = report.files.at(entries[source]);
        file.notShown += omitted;
        if (failsVerdict(omitted, options)) file.ok = false;
    }
    return kept;
}

}  // namespace

void addDiagnostic(Report& report, Diagnostic diagnostic, const ValidateOptions& options) {
    if (failsVerdict(diagnostic.severity, options)) report.files.at(diagnostic.file).ok = false;
    report.diagnostics.push_back(std::move(diagnostic));
}

void addAcceptedIssues(Report& report, const std::vector<Issue>& issues,
                       const std::vector<std::string>& reasons,
                       const std::vector<std::size_t>& entries) {
    for (std::size_t i = 0; i < issues.size(); ++i) {
        Diagnostic d =
            diagnosticOf(issues[i], entries.at(static_cast<std::size_t>(issues[i].source)));
        d.accepted = true;
        d.acceptedReason = reasons.at(i);
        report.diagnostics.push_back(std::move(d));
    }
}

void addIssues(Report& report, const ValidationResult& result,
               const std::vector<std::size_t>& entries, const std::vector<std::string_view>& texts,
               std::size_t maxIssues, const ValidateOptions& options) {
    const std::vector<Issue>& issues = result.issues;
    const std::vector<std::size_t> kept = issuesToList(report, result, entries, maxIssues, options);
    std::vector<Diagnostic> made;
    made.reserve(kept.size());
    for (const std::size_t k : kept) {
        made.push_back(
            diagnosticOf(issues[k], entries.at(static_cast<std::size_t>(issues[k].source))));
    }
    for (std::size_t source = 0; source < texts.size(); ++source) {
        if (texts[source].data() == nullptr) continue;
        std::vector<Place> places;
        FixPlacer fixes(texts[source]);
        for (std::size_t m = 0; m < made.size(); ++m) {
            const Issue& issue = issues[kept[m]];
            if (static_cast<std::size_t>(issue.source) != source) continue;
            const TextLocation& at = issue.location;
            if (made[m].position) {
                places.push_back({at.offset, at.offset - (at.column - 1), &*made[m].position});
            }
            fixes.place(issue, made[m], places);
        }
        countCharacterColumns(texts[source], places);
    }
    for (Diagnostic& diagnostic : made) addDiagnostic(report, std::move(diagnostic), options);
}

}  // namespace OrvexConfigValidate
