// The public side of fixes: made for the issues of a parsed text, and
// applied to a text.
#include <orvexconfigvalidate/Validation.hpp>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

#include "fix/IssueFixes.hpp"
#include "json/ParsedTextAccess.hpp"

namespace OrvexConfigValidate {

namespace {

// The edits taken so far, by offset; they never overlap.
class TakenEdits {
  public:
    bool fits(const Fix& fix, std::size_t textSize) const {
        for (const TextEdit& edit : fix.edits) {
            if (edit.offset > textSize || edit.length > textSize - edit.offset) return false;
            if (clashes(edit)) return false;
        }
        return !fix.edits.empty();
    }

    void take(const Fix& fix) {
        for (const TextEdit& edit : fix.edits) taken_.emplace(edit.offset, &edit);
    }

    std::vector<TextEdit> edits() const {
        std::vector<TextEdit> list;
        list.reserve(taken_.size());
        for (const auto& entry : taken_) list.push_back(*entry.second);
        return list;
    }

    std::string apply(std::string_view text) const {
        std::string out;
        out.reserve(text.size());
        std::size_t at = 0;
        for (const auto& [offset, edit] : taken_) {
            out.append(text.substr(at, offset - at)).append(edit->newText);
            at = offset + edit->length;
        }
        out.append(text.substr(at));
        return out;
    }

  private:
    // Two edits at one offset clash too: which goes first would be a guess.
    bool clashes(const TextEdit& edit) const {
        const std::size_t end = edit.offset + edit.length;
        const auto next = taken_.lower_bound(edit.offset);
        if (next != taken_.end() && (next->first == edit.offset || next->first < end)) return true;
        if (next == taken_.begin()) return false;
        const TextEdit& before = *std::prev(next)->second;
        return before.offset + before.length > edit.offset;
    }

    std::map<std::size_t, const TextEdit*> taken_;
};

// The members written by the fixes taken so far: a second fix that writes
// one of them waits, as the object would hold the name twice and the
// operator's value could be the one dropped.
class WrittenMembers {
  public:
    bool clashes(const std::vector<WrittenMember>& members) const {
        return std::any_of(members.begin(), members.end(),
                           [this](const WrittenMember& member) { return written_.count(member); });
    }

    void take(std::vector<WrittenMember> members) {
        for (WrittenMember& member : members) written_.insert(std::move(member));
    }

  private:
    std::set<WrittenMember> written_;
};

}  // namespace

void addFixes(ValidationResult& result, const Document& parsed, int source) {
    addFixes(result, parsed, parsed.text(), source);
}

void addFixes(ValidationResult& result, const Document& parsed, std::string_view text, int source) {
    const auto wanted = [source](const Issue& issue) {
        return issue.source == source && issue.fixes.empty() && mayHaveFixes(issue);
    };
    if (std::none_of(result.issues.begin(), result.issues.end(), wanted)) return;
    const ParsedTextAccess::Impl& parts = ParsedTextAccess::parts(parsed);
    if (!parts.ok || parts.index.nodes.empty()) return;
    // A text that is not the one parsed gets no fixes.
    if (parts.index.nodes.front().end > text.size()) return;
    const Locator locator = ParsedTextAccess::locatorOf(parsed);
    FixSite site{text, parts.index, parsed.root(), locator};
    for (Issue& issue : result.issues) {
        if (!wanted(issue)) continue;
        issue.fixes = fixesFor(issue, issue.pointer, site);
    }
}

AppliedFixes applySafeFixes(std::string_view text, const std::vector<Issue>& issues, int source) {
    TakenEdits taken;
    WrittenMembers written;
    AppliedFixes applied;
    for (const Issue& issue : issues) {
        if (issue.source != source) continue;
        for (const Fix& fix : issue.fixes) {
            if (!fix.safe || !taken.fits(fix, text.size())) continue;
            std::vector<WrittenMember> members = membersWritten(issue);
            if (written.clashes(members)) continue;
            taken.take(fix);
            written.take(std::move(members));
            ++applied.applied;
        }
    }
    applied.text = taken.apply(text);
    applied.edits = taken.edits();
    return applied;
}

}  // namespace OrvexConfigValidate
