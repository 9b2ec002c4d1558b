// Re-checks a large bridges text (an editor's buffer) after an edit that
// stays inside one group or bridge, or across elements of one of the two
// arrays (elements added, removed, joined), without reading the rest of the
// text again: the edited elements are parsed and checked against the schema
// on their own, the other elements keep their schema issues (moved by the
// edit's length, renumbered when elements came or went), and the
// cross-group rules run again over the configuration model, which reads
// only the edited elements again. The document is the lean parse of the
// version checked whole, shared with its snapshot, with the elements read
// since beside it: no version is ever held as a tree of values. The
// workspace's strategy for carrying a version to the next; it keeps the
// versions' texts, so nothing here tells one text from another.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "edit/TextStretch.hpp"
#include "json/DocumentSplice.hpp"

namespace OrvexConfigValidate {

// NOLINTNEXTLINE(bugprone-exception-escape): only json's own noexcept destructor can throw
class IncrementalCheck {
  public:
    // NOLINTNEXTLINE(bugprone-exception-escape): empty members allocate nothing, so cannot throw
    IncrementalCheck() = default;
    // The model points into the document.
    IncrementalCheck(const IncrementalCheck&) = delete;
    IncrementalCheck& operator=(const IncrementalCheck&) = delete;

    // Whether edits can be carried over under these options at all: the
    // embedded schemas say what one element's issues depend on.
    static bool applies(const ValidateOptions& options, bool paired);

    // What the full check of a bridges text shares: its lean parse; the
    // model its rule pass read, over that parse, with the number of issues
    // that pass gave (none for a pair, whose pass read the two files as
    // one); the server document it was paired with (null alone).
    struct Shared {
        std::shared_ptr<const ParsedText> parsed;
        std::shared_ptr<const Configuration> model;
        std::size_t ruleIssues = 0;
        JsonView server;
    };
    // Takes over the full check of a bridges text: the issues of `result`
    // whose source is `source`, and the server text it was paired with (""
    // alone). The check's model is shared with its snapshot, so it is read
    // where it stands until the first update, which edits a copy of it.
    // False when the result holds issues that an edit could not carry;
    // nothing is kept then.
    bool remember(const Shared& check, const ValidationResult& result, int source,
                  const std::string& serverText, const ValidateOptions& options);
    void forget();

    // The issues of the new text, or nothing when the edit cannot be carried
    // this way (the caller then checks the whole text). `edit` is what
    // changed since the text remembered or last updated to, as the editor
    // said; a server text other than the one remembered is not carried.
    std::optional<std::vector<Issue>> update(const TextStretch& edit, const std::string& newText,
                                             const std::string& serverText,
                                             const Validator& validator,
                                             const ValidateOptions& options);

    // What the last update read again: the stretch of the text before that
    // gave way to newLength bytes holding the values read since (kept alive
    // by `kept`), from which the new version's document is made.
    struct Reread {
        std::size_t from = 0;
        std::size_t to = 0;
        std::size_t newLength = 0;
        std::vector<SplicedValue> values;
        std::vector<std::shared_ptr<const ParsedText>> kept;
    };
    const Reread& reread() const { return reread_; }

  private:
    struct Span {
        std::size_t offset = 0;
        std::size_t length = 0;
    };
    enum class Array { Groups, Bridges };
    using Edit = TextStretch;
    // An edit across elements of one array: elements [first, first +
    // removed) and the separators around them, between the end of the
    // element before (or the opening bracket) and the start of the one
    // after (or the closing bracket).
    struct Across {
        Array array = Array::Groups;
        std::size_t first = 0;
        std::size_t removed = 0;
        std::size_t gapStart = 0;
        std::size_t gapEnd = 0;
        bool hasBefore = false;
        bool hasAfter = false;
    };

    // An array's elements now: a view of each, and the parse of those read
    // since the base (null for the base's own).
    struct Elements {
        std::vector<JsonView> values;
        std::vector<std::shared_ptr<const ParsedText>> owners;
    };
    Elements& valuesOf(Array array) { return array == Array::Groups ? groupValues : bridgeValues; }
    // Elements [first, first + removed) give way to `added`, read since.
    void replaceElements(Array array, std::size_t first, std::size_t removed,
                         std::vector<std::shared_ptr<const ParsedText>> added);
    const Configuration& currentModel() const { return sharedModel ? *sharedModel : *model; }
    std::vector<Issue> semanticIssues(const ValidateOptions& options) const;
    void readModel();
    TextLocation locate(const std::string& pointer, const std::string& text) const;
    // The fixes of a rule's issue, from the text of the element it lies in.
    void fixRuleIssue(Issue& issue, const std::string& text) const;
    // Where the elements and the arrays sit, and their values; false when a
    // member is there but not an array.
    bool readElements(const ParsedText& parsed);
    std::vector<Span>& spansOf(Array array) { return array == Array::Groups ? groups : bridges; }
    const std::vector<Span>& spansOf(Array array) const {
        return array == Array::Groups ? groups : bridges;
    }
    std::optional<Span>& arrayOf(Array array) {
        return array == Array::Groups ? groupsArray : bridgesArray;
    }
    const std::optional<Span>& arrayOf(Array array) const {
        return array == Array::Groups ? groupsArray : bridgesArray;
    }
    // Every span at or after `from` moves by delta; an array that holds
    // `from` grows by it.
    void moveSpans(std::size_t from, std::ptrdiff_t delta);
    // The new elements' own issues, each element checked alone.
    std::optional<std::vector<Issue>> newElementIssues(const std::vector<std::string_view>& texts,
                                                       const std::vector<std::size_t>& offsets,
                                                       Array array, std::size_t first,
                                                       const Validator& validator,
                                                       const ValidateOptions& options);
    // An edit inside one element, or across elements of one array: the
    // element issues after it, with the state taken over; nothing, and
    // nothing changed, when the edit is not of that kind.
    std::optional<std::vector<Issue>> carryInside(const Edit& edit, const std::string& newText,
                                                  const Validator& validator,
                                                  const ValidateOptions& options);
    std::optional<Across> acrossOf(const Edit& edit) const;
    std::optional<std::vector<Issue>> carryAcross(const Edit& edit, const std::string& newText,
                                                  const Validator& validator,
                                                  const ValidateOptions& options);

    bool valid = false;
    int source = 0;
    std::string serverText;
    nlohmann::json serverSettings;  // null alone
    // The version checked whole, which keeps its text, and the elements of
    // its two arrays as they are now.
    std::shared_ptr<const ParsedText> base;
    Elements groupValues;
    Elements bridgeValues;
    // The elements' places and values are read at the first update.
    bool elementsRead = false;
    // The text read into elements since the base, bounded: past the bound
    // the next edit is checked whole, which makes a new base.
    std::size_t ownedBytes = 0;
    // The model of the document: the check's, shared with its snapshot
    // until the first update, then a copy of it, edited.
    std::shared_ptr<const Configuration> sharedModel;
    std::unique_ptr<Configuration> model;
    std::vector<Span> groups;
    std::vector<Span> bridges;
    // The arrays themselves, brackets included; none when absent.
    std::optional<Span> groupsArray;
    std::optional<Span> bridgesArray;
    // Issues that belong to one element: schema and parse findings.
    std::vector<Issue> elementIssues;
    Reread reread_;
};

}  // namespace OrvexConfigValidate
