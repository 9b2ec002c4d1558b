// What a snapshot holds, seen by the workspace that makes it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <orvexconfigvalidate/Workspace.hpp>

namespace OrvexConfigValidate {

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
    // The text's document: the check's own read, or the one the carry made
    // of the version before's; null only when neither could be had.
    std::shared_ptr<const ParsedText> parse;
    // The model the check's rule pass read over that document, if any.
    std::shared_ptr<const Configuration> model;
};

struct Snapshot::Impl {
    explicit Impl(SnapshotParts made) : parts(std::move(made)) {}

    const SnapshotParts parts;

    // What no check handed over is read on first use, once: the document
    // only when the carry could not make it, the model of a carried
    // version or of a pair's half, the line table.
    mutable std::once_flag parseOnce;
    mutable std::shared_ptr<const ParsedText> readParse;
    mutable std::once_flag linesOnce;
    mutable std::optional<LineTable> lines;
    mutable std::once_flag modelOnce;
    mutable std::unique_ptr<const Configuration> readModel;
};

std::shared_ptr<const Snapshot> makeSnapshot(SnapshotParts parts);
const SnapshotParts& partsOf(const Snapshot& snapshot);
// The document of a snapshot, read now if it was not handed over.
std::shared_ptr<const ParsedText> parseOf(const Snapshot& snapshot);

}  // namespace OrvexConfigValidate
