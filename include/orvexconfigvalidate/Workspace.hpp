// The documents an editor has open, each version checked once and handed
// out as an immutable snapshot: its text, its parse with positions, its line
// table, its configuration model and its check's result, shared by the
// diagnostics and every feature. The workspace keeps the version before an
// edit, and re-checks a large bridges text by carrying the previous
// version's result over the edit where it can; the results are those of a
// whole check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>
#include <orvexconfigvalidate/Text.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// One version of one document as checked. Safe to read from several
// threads; what is made on first use is made once.
class Snapshot {
  public:
    ~Snapshot();
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    // The name the document was opened under (an editor's URI).
    const std::string& key() const;
    std::int64_t version() const;
    const std::string& text() const;
    // The schema it was checked against; "" when none applies.
    const std::string& schemaId() const;
    // The text parsed with positions: the check's own parse, or, when the
    // check carried an edit, made on first use of the version before's with
    // the elements read again (read whole when that one was never made).
    const ParsedText& parsed() const;
    const LineTable& lines() const;
    // The text read as a configuration of schemaId(): the model the check's
    // rules read, or made on first use; null when the text does not parse
    // or no schema applies.
    const Configuration* configuration() const;
    // The check's result with fixes. A pair's result holds both files'
    // issues: this document's are those of source().
    const ValidationResult& result() const;
    int source() const;
    // Whether the result was carried over from the version before.
    bool carried() const;
    // The parse of this version when it reads, else of the last version
    // before it that read (what a half-typed text still means); null if none.
    const ParsedText* lastGoodParse() const;

    struct Impl;

  private:
    friend struct SnapshotFactory;
    Snapshot();
    std::unique_ptr<Impl> impl;
};

// The other half of a deployment that a document is checked with.
struct PairedText {
    // An open document of the workspace: its current version is used, and
    // its snapshot is made from the same check. "" for a file on disk.
    std::string key;
    // The text when the partner is not open.
    std::string_view text;
    bool isServer = false;  // the partner is the server file
};

// How a document is to be checked.
struct CheckPlan {
    std::string schemaId;  // "" when none applies: no issues
    std::optional<PairedText> partner;
};

struct WorkspaceOptions {
    ValidateOptions validate;
    // Bridges texts from this size on have their edits carried; smaller
    // ones are checked whole, which is fast enough.
    std::size_t carryFrom = std::size_t{128} << 10;
};

class Workspace {
  public:
    explicit Workspace(WorkspaceOptions options = {});
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Opening an open document replaces its text.
    void open(const std::string& key, std::string text, std::int64_t version);
    // Byte ranges, each in the text left by the ones before it. False, and
    // nothing changed, when an edit lies outside the text or the document
    // is not open.
    bool edit(const std::string& key, const std::vector<TextEdit>& edits, std::int64_t version);
    bool replace(const std::string& key, std::string text, std::int64_t version);
    void close(const std::string& key);
    bool isOpen(const std::string& key) const;
    // The current (maybe not yet checked) text; null when not open.
    std::shared_ptr<const std::string> text(const std::string& key) const;
    std::optional<std::int64_t> version(const std::string& key) const;
    std::vector<std::string> keys() const;

    // The snapshot of the current version under the plan: the one made
    // already when the text and the plan are the same, else a new check. A
    // version is the change that made it (open, edit, replace), whatever
    // number the client gave: a number sent twice does not make two texts
    // one.
    // With an open partner, the partner's snapshot comes of the same check
    // and is returned second.
    std::vector<std::shared_ptr<const Snapshot>> check(const std::string& key,
                                                       const CheckPlan& plan);
    // The last snapshot made of the document, maybe of an earlier version;
    // null when none was made or the document is not open.
    std::shared_ptr<const Snapshot> snapshot(const std::string& key) const;

    const Validator& validator() const;
    const WorkspaceOptions& options() const;
    // How many versions had their result carried over from the version
    // before rather than the whole text checked.
    std::size_t carriedVersions() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

}  // namespace OrvexConfigValidate
