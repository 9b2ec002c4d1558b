#include <orvexconfigvalidate/Workspace.hpp>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "KeptModel.hpp"
#include "edit/IncrementalCheck.hpp"
#include "edit/SnapshotState.hpp"
#include "edit/TextRoom.hpp"
#include "edit/TextStretch.hpp"

namespace OrvexConfigValidate {

namespace {

struct OpenDocument {
    std::shared_ptr<const std::string> text;
    // The number the client gave, published with the diagnostics; the
    // revision tells one text from another.
    std::int64_t version = 0;
    std::uint64_t revision = 0;
    // The last snapshot made, maybe of an earlier version: the version an
    // edit is carried from.
    std::shared_ptr<const Snapshot> latest;
    // What the editor's edits changed since the text of revision `since`,
    // up to the text of revision `upTo`; none after an open or a replace.
    std::uint64_t since = 0;
    std::uint64_t upTo = 0;
    std::optional<TextStretch> edited;
    // Set while the latest snapshot's result can be carried over an edit.
    std::unique_ptr<IncrementalCheck> carry;
};

bool hasParseError(const ValidationResult& result) {
    return std::any_of(result.issues.begin(), result.issues.end(),
                       [](const Issue& issue) { return issue.code == IssueCode::kParseError; });
}

// What a check is made of before it becomes snapshots.
struct Checked {
    std::shared_ptr<const ValidationResult> result;
    std::shared_ptr<ParsedText> own;
    std::shared_ptr<ParsedText> partner;
    bool paired = false;
    // The model the rule pass read of a text checked alone.
    KeptModel kept;
};

// A text read lean, kept alive by the parse.
std::shared_ptr<ParsedText> leanParse(const std::shared_ptr<const std::string>& text) {
    return std::make_shared<ParsedText>(parseText(*text, text));
}

// Whether the edits since the version last checked can be carried from it:
// a bridges text checked the same way, whose carry was kept, and whose
// edits since are known by the ranges the editor gave.
bool isCarryCompatible(const OpenDocument& document, const CheckPlan& plan) {
    if (!document.carry || !document.latest || !document.edited ||
        plan.schemaId != kBridgesSchemaId) {
        return false;
    }
    const SnapshotParts& before = partsOf(*document.latest);
    return before.schemaId == kBridgesSchemaId && before.revision != document.revision &&
           document.since == before.revision && document.upTo == document.revision;
}

// The plan a snapshot was checked under.
void setPartner(SnapshotParts& parts, const std::string& partnerKey, std::uint64_t revision,
                bool isServer, bool onDisk) {
    parts.partnerKey = partnerKey;
    parts.partnerRevision = revision;
    parts.partnerIsServer = isServer;
    parts.partnerOnDisk = onDisk;
}

}  // namespace

struct Workspace::Impl {
    explicit Impl(WorkspaceOptions chosen)
        : options(std::move(chosen)), validator(ValidatorOptions{options.validate.schemaDir}) {}

    WorkspaceOptions options;
    Validator validator;
    mutable std::mutex mutex;
    std::map<std::string, OpenDocument> documents;
    std::shared_ptr<TextRoom> room = std::make_shared<TextRoom>();
    std::size_t carried = 0;
    std::uint64_t revisions = 0;

    OpenDocument* find(const std::string& key) {
        const auto found = documents.find(key);
        return found == documents.end() ? nullptr : &found->second;
    }

    void setText(OpenDocument& document, std::string text, std::int64_t version);
    bool sameCheck(const std::string& key, const OpenDocument& document,
                   const CheckPlan& plan) const;
    std::optional<SnapshotParts> carryEdit(const std::string& key, OpenDocument& document,
                                           const CheckPlan& plan, const std::string& serverText);
    Checked checkWhole(OpenDocument& document, const CheckPlan& plan,
                       const OpenDocument* partnerDocument, std::string_view partnerText);
    SnapshotParts partsOfCheck(const std::string& key, const OpenDocument& document,
                               const std::string& schemaId, Checked& checked, bool ownHalf);
    void rememberCarry(OpenDocument& document, const Snapshot& snapshot,
                       const std::string& serverText, IncrementalCheck::Shared shared);
    std::vector<std::shared_ptr<const Snapshot>> check(const std::string& key,
                                                       const CheckPlan& plan);
    std::vector<std::shared_ptr<const Snapshot>> checkWholeText(
        const std::string& key, OpenDocument& document, const CheckPlan& plan,
        OpenDocument* partnerDocument, std::string_view partnerText, const std::string& serverText);
    std::shared_ptr<const Snapshot> partnerSnapshot(const std::string& key,
                                                    const OpenDocument& document,
                                                    const CheckPlan& plan,
                                                    OpenDocument& partnerDocument,
                                                    Checked& checked);
};

void Workspace::Impl::setText(OpenDocument& document, std::string text, std::int64_t version) {
    document.text = shareText(room, std::move(text));
    document.version = version;
    document.revision = ++revisions;
}

bool Workspace::Impl::sameCheck(const std::string& key, const OpenDocument& document,
                                const CheckPlan& plan) const {
    if (!document.latest) return false;
    const SnapshotParts& made = partsOf(*document.latest);
    if (made.key != key || made.revision != document.revision || made.schemaId != plan.schemaId) {
        return false;
    }
    if (!plan.partner) return made.partnerKey.empty() && !made.partnerOnDisk;
    // A file on disk may have changed: it is read and checked again.
    if (plan.partner->key.empty()) return false;
    const auto partner = documents.find(plan.partner->key);
    return partner != documents.end() && made.partnerKey == plan.partner->key &&
           made.partnerRevision == partner->second.revision &&
           made.partnerIsServer == plan.partner->isServer;
}

Checked Workspace::Impl::checkWhole(OpenDocument& document, const CheckPlan& plan,
                                    const OpenDocument* partnerDocument,
                                    std::string_view partnerText) {
    Checked checked;
    checked.own = leanParse(document.text);
    const ValidateOptions& validate = options.validate;
    if (plan.partner) {
        // The partner's own snapshot stays as it is until this check is
        // made: its text is read anew.
        checked.partner = partnerDocument != nullptr
                              ? leanParse(partnerDocument->text)
                              : std::make_shared<ParsedText>(parseText(partnerText));
        ParsedText& server = plan.partner->isServer ? *checked.partner : *checked.own;
        ParsedText& bridges = plan.partner->isServer ? *checked.own : *checked.partner;
        ValidationResult result = validator.validateTextPair(server, bridges, validate);
        // A text that does not read cannot take part in the cross-file
        // rules: each file is then judged on its own.
        if (!hasParseError(result)) {
            const std::string_view ownText = *document.text;
            addFixes(result, server, plan.partner->isServer ? partnerText : ownText, 0);
            addFixes(result, bridges, plan.partner->isServer ? ownText : partnerText, 1);
            checked.result = std::make_shared<const ValidationResult>(std::move(result));
            checked.paired = true;
            return checked;
        }
    }
    ValidationResult result =
        validateTextKeepingModel(validator, plan.schemaId, *checked.own, validate, checked.kept);
    addFixes(result, *checked.own, *document.text, 0);
    checked.result = std::make_shared<const ValidationResult>(std::move(result));
    return checked;
}

SnapshotParts Workspace::Impl::partsOfCheck(const std::string& key, const OpenDocument& document,
                                            const std::string& schemaId, Checked& checked,
                                            bool ownHalf) {
    SnapshotParts parts;
    parts.key = key;
    parts.version = document.version;
    parts.revision = document.revision;
    parts.text = document.text;
    parts.schemaId = schemaId;
    parts.result = checked.result;
    std::shared_ptr<ParsedText>& parse = ownHalf ? checked.own : checked.partner;
    if (parse) {
        if (!parse->ok() && document.latest) {
            const SnapshotParts& before = partsOf(*document.latest);
            const std::shared_ptr<const ParsedText> good = parseIfMade(*document.latest);
            parts.lastGood = good && good->ok() ? document.latest : before.lastGood;
        }
        parts.parse = std::move(parse);
        // The model the check read, over this very parse.
        if (ownHalf && !checked.paired) parts.model = std::move(checked.kept.model);
    }
    return parts;
}

void Workspace::Impl::rememberCarry(OpenDocument& document, const Snapshot& snapshot,
                                    const std::string& serverText,
                                    IncrementalCheck::Shared shared) {
    document.carry.reset();
    const ValidationResult& result = snapshot.result();
    // Edits are carried over a complete result only.
    if (result.omitted.total() != 0 || snapshot.text().size() < options.carryFrom ||
        !IncrementalCheck::applies(options.validate, !serverText.empty())) {
        return;
    }
    auto carry = std::make_unique<IncrementalCheck>();
    shared.parsed = parseOf(snapshot);
    if (carry->remember(shared, result, snapshot.source(), serverText, options.validate)) {
        document.carry = std::move(carry);
    }
}

// The version after the editor's edits, carried from the last one checked
// when the edits allow it.
std::optional<SnapshotParts> Workspace::Impl::carryEdit(const std::string& key,
                                                        OpenDocument& document,
                                                        const CheckPlan& plan,
                                                        const std::string& serverText) {
    if (!isCarryCompatible(document, plan)) return {};
    IncrementalCheck& carry = *document.carry;
    std::optional<std::vector<Issue>> issues;
    try {
        issues =
            carry.update(*document.edited, *document.text, serverText, validator, options.validate);
    } catch (...) {
        document.carry.reset();
        throw;
    }
    if (!issues) {
        document.carry.reset();
        return {};
    }
    ValidationResult result;
    result.issues = std::move(*issues);
    for (const Issue& issue : result.issues) {
        if (failsVerdict(issue.severity, options.validate)) result.ok = false;
    }
    Checked checked;
    checked.result = std::make_shared<const ValidationResult>(std::move(result));
    SnapshotParts parts = partsOfCheck(key, document, plan.schemaId, checked, true);
    // The document is made of the version before's, with the elements read
    // again, when first asked for; a version before that no one asked has
    // none to make it of.
    const IncrementalCheck::Reread& reread = carry.reread();
    if (std::shared_ptr<const ParsedText> previous = parseIfMade(*document.latest)) {
        parts.pending = std::make_shared<const PendingDocument>(
            PendingDocument{std::move(previous), reread.from, reread.to, reread.newLength,
                            reread.values, reread.kept});
    }
    parts.carried = true;
    parts.source = plan.partner ? 1 : 0;
    ++carried;
    return parts;
}

std::vector<std::shared_ptr<const Snapshot>> Workspace::Impl::check(const std::string& key,
                                                                    const CheckPlan& plan) {
    OpenDocument* document = find(key);
    if (document == nullptr) return {};
    if (sameCheck(key, *document, plan)) return {document->latest};
    OpenDocument* partnerDocument =
        plan.partner && !plan.partner->key.empty() ? find(plan.partner->key) : nullptr;
    const std::string_view partnerText = partnerDocument != nullptr
                                             ? std::string_view(*partnerDocument->text)
                                             : (plan.partner ? plan.partner->text : "");
    const std::string serverText =
        plan.partner && plan.partner->isServer ? std::string(partnerText) : std::string();
    if (plan.schemaId.empty()) {
        Checked none;
        none.result = std::make_shared<const ValidationResult>();
        document->carry.reset();
        document->latest = makeSnapshot(partsOfCheck(key, *document, plan.schemaId, none, true));
        return {document->latest};
    }
    if (std::optional<SnapshotParts> made = carryEdit(key, *document, plan, serverText)) {
        setPartner(*made, partnerDocument != nullptr ? plan.partner->key : "",
                   partnerDocument != nullptr ? partnerDocument->revision : 0,
                   plan.partner.has_value(), plan.partner && partnerDocument == nullptr);
        document->latest = makeSnapshot(std::move(*made));
        return {document->latest};
    }
    return checkWholeText(key, *document, plan, partnerDocument, partnerText, serverText);
}

std::vector<std::shared_ptr<const Snapshot>> Workspace::Impl::checkWholeText(
    const std::string& key, OpenDocument& document, const CheckPlan& plan,
    OpenDocument* partnerDocument, std::string_view partnerText, const std::string& serverText) {
    document.carry.reset();
    // A large text's version before is let go of before the new one is
    // read, so that the new document can take its memory rather than more.
    if (document.latest && partsOf(*document.latest).revision != document.revision &&
        document.text->size() >= options.carryFrom) {
        document.latest.reset();
    }
    Checked checked = checkWhole(document, plan, partnerDocument, partnerText);
    SnapshotParts parts = partsOfCheck(key, document, plan.schemaId, checked, true);
    if (checked.paired) {
        parts.source = plan.partner->isServer ? 1 : 0;
        setPartner(parts, partnerDocument != nullptr ? plan.partner->key : "",
                   partnerDocument != nullptr ? partnerDocument->revision : 0,
                   plan.partner->isServer, partnerDocument == nullptr);
    }
    std::shared_ptr<const Snapshot> own = makeSnapshot(std::move(parts));
    document.latest = own;
    if (plan.schemaId == kBridgesSchemaId) {
        IncrementalCheck::Shared shared;
        shared.model = partsOf(*own).model;
        shared.ruleIssues = checked.kept.ruleIssues;
        if (checked.paired) shared.server = checked.partner->root();
        rememberCarry(document, *own, checked.paired ? serverText : std::string(), shared);
    }
    std::vector<std::shared_ptr<const Snapshot>> out{own};
    if (!checked.paired || partnerDocument == nullptr) return out;
    out.push_back(partnerSnapshot(key, document, plan, *partnerDocument, checked));
    return out;
}

// The partner's snapshot of the same check.
std::shared_ptr<const Snapshot> Workspace::Impl::partnerSnapshot(const std::string& key,
                                                                 const OpenDocument& document,
                                                                 const CheckPlan& plan,
                                                                 OpenDocument& partnerDocument,
                                                                 Checked& checked) {
    const bool partnerIsServer = plan.partner->isServer;
    SnapshotParts parts =
        partsOfCheck(plan.partner->key, partnerDocument,
                     partnerIsServer ? kServerSchemaId : kBridgesSchemaId, checked, false);
    parts.source = partnerIsServer ? 0 : 1;
    setPartner(parts, key, document.revision, !partnerIsServer, false);
    std::shared_ptr<const Snapshot> other = makeSnapshot(std::move(parts));
    partnerDocument.carry.reset();
    partnerDocument.latest = other;
    if (!partnerIsServer) {
        // The server is the text checked: its snapshot holds the parse.
        IncrementalCheck::Shared shared;
        shared.server = partsOf(*document.latest).parse->root();
        rememberCarry(partnerDocument, *other, *document.text, shared);
    }
    return other;
}

Workspace::Workspace(WorkspaceOptions options) : impl(std::make_unique<Impl>(std::move(options))) {}
Workspace::~Workspace() = default;

void Workspace::open(const std::string& key, std::string text, std::int64_t version) {
    const std::lock_guard<std::mutex> lock(impl->mutex);
    OpenDocument& document = impl->documents[key];
    impl->setText(document, std::move(text), version);
}

bool Workspace::edit(const std::string& key, const std::vector<TextEdit>& edits,
                     std::int64_t version) {
    const std::lock_guard<std::mutex> lock(impl->mutex);
    OpenDocument* document = impl->find(key);
    if (document == nullptr) return false;
    std::size_t size = document->text->size();
    std::size_t room = size;
    for (const TextEdit& edit : edits) {
        if (edit.offset > size || edit.length > size - edit.offset) return false;
        size = size - edit.length + edit.newText.size();
        room = std::max(room, size);
    }
    // The stretch the edits changed, from the text last checked.
    const bool checkedNow =
        document->latest && partsOf(*document->latest).revision == document->revision;
    if (checkedNow || document->upTo != document->revision) {
        document->since = document->revision;
        document->edited.reset();
    }
    for (const TextEdit& edit : edits) document->edited = widen(document->edited, edit);
    // Made once at its largest: a replace past the capacity would double it.
    std::string text = impl->room->take(room);
    text = *document->text;
    for (const TextEdit& edit : edits) text.replace(edit.offset, edit.length, edit.newText);
    impl->setText(*document, std::move(text), version);
    document->upTo = document->revision;
    return true;
}

bool Workspace::replace(const std::string& key, std::string text, std::int64_t version) {
    const std::lock_guard<std::mutex> lock(impl->mutex);
    OpenDocument* document = impl->find(key);
    if (document == nullptr) return false;
    impl->setText(*document, std::move(text), version);
    return true;
}

void Workspace::close(const std::string& key) {
    const std::lock_guard<std::mutex> lock(impl->mutex);
    impl->documents.erase(key);
    impl->room->clear();
}

bool Workspace::isOpen(const std::string& key) const {
    const std::lock_guard<std::mutex> lock(impl->mutex);
    return impl->documents.count(key) != 0;
}

std::shared_ptr<const std::string> Workspace::text(const std::string& key) const {
    const std::lock_guard<std::mutex> lock(impl->mutex);
    const auto found = impl->documents.find(key);
    return found == impl->documents.end() ? nullptr : found->second.text;
}

std::optional<std::int64_t> Workspace::version(const std::string& key) const {
    const std::lock_guard<std::mutex> lock(impl->mutex);
    const auto found = impl->documents.find(key);
    if (found == impl->documents.end()) return std::nullopt;
    return found->second.version;
}

std::vector<std::string> Workspace::keys() const {
    const std::lock_guard<std::mutex> lock(impl->mutex);
    std::vector<std::string> out;
    for (const auto& entry : impl->documents) out.push_back(entry.first);
    return out;
}

std::vector<std::shared_ptr<const Snapshot>> Workspace::check(const std::string& key,
                                                              const CheckPlan& plan) {
    const std::lock_guard<std::mutex> lock(impl->mutex);
    return impl->check(key, plan);
}

std::shared_ptr<const Snapshot> Workspace::snapshot(const std::string& key) const {
    const std::lock_guard<std::mutex> lock(impl->mutex);
    const auto found = impl->documents.find(key);
    return found == impl->documents.end() ? nullptr : found->second.latest;
}

const Validator& Workspace::validator() const {
    return impl->validator;
}

const WorkspaceOptions& Workspace::options() const {
    return impl->options;
}

std::size_t Workspace::carriedVersions() const {
    const std::lock_guard<std::mutex> lock(impl->mutex);
    return impl->carried;
}

}  // namespace OrvexConfigValidate
