// What a snapshot holds, seen by the workspace that makes it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Workspace.hpp>

#include "json/DocumentSplice.hpp"

namespace OrvexConfigValidate {

// How a carried version's document is made when first asked for: the
// document of the version before, with the values read again put in the
// stretch they replaced. Cheaper than a read, and not paid by an edit that
// no question follows.
struct PendingDocument {
    std::shared_ptr<const ParsedText> before;
    std::size_t from = 0;
    std::size_t to = 0;
    std::size_t newLength = 0;
    std::vector<SplicedValue> values;
    std::vector<std::shared_ptr<const ParsedText>> kept;
};

// Everything a snapshot is made of, set before it is made.
struct SnapshotParts {
    std::string key;
    std::int64_t version = 0;
    // Which change of the workspace made the text: a client may send one
    // version number for several texts.
    std::uint64_t revision = 0;
    std::shared_ptr<const std::string> text;
    std::string schemaId;
    // A pair's two snapshots share one result.
    std::shared_ptr<const ValidationResult> result;
    int source = 0;
    bool carried = false;
    // What the check was made under, so that the same plan is not checked
    // again: the partner's key and revision when it is open.
    std::string partnerKey;
    std::uint64_t partnerRevision = 0;
    bool partnerIsServer = false;
    bool partnerOnDisk = false;
    // Kept when this version's text does not read.
    std::shared_ptr<const Snapshot> lastGood;
    // The text's document when the check read it; null for a carried
    // version, whose document is made on first use of `pending` (or, when
    // the version before had none made, read).
    std::shared_ptr<const ParsedText> parse;
    std::shared_ptr<const PendingDocument> pending;
    // The model the check's rule pass read over that document, if any.
    std::shared_ptr<const Configuration> model;
};

struct Snapshot::Impl {
    explicit Impl(SnapshotParts made) : pending(std::move(made.pending)), parts(std::move(made)) {}

    // Let go of once the document is made.
    mutable std::shared_ptr<const PendingDocument> pending;
    const SnapshotParts parts;

    // What no check handed over is made on first use, once: a carried
    // version's document, the model of a carried version or of a pair's
    // half, the line table.
    mutable std::mutex parseMutex;
    mutable std::shared_ptr<const ParsedText> madeParse;
    mutable std::once_flag linesOnce;
    mutable std::optional<LineTable> lines;
    mutable std::once_flag modelOnce;
    mutable std::unique_ptr<const Configuration> readModel;
};

std::shared_ptr<const Snapshot> makeSnapshot(SnapshotParts parts);
const SnapshotParts& partsOf(const Snapshot& snapshot);
// The document of a snapshot, made now if it was not handed over.
std::shared_ptr<const ParsedText> parseOf(const Snapshot& snapshot);
// The same if it is made already, else null.
std::shared_ptr<const ParsedText> parseIfMade(const Snapshot& snapshot);

}  // namespace OrvexConfigValidate
