// What a snapshot holds, seen by the workspace that makes it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <orvexconfigvalidate/Workspace.hpp>

namespace OrvexConfigValidate {

struct Snapshot::Impl {
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

    // Made by the check, or on first use: the text read lean, shared with
    // the carry of the next edit. The workspace may take the model out of a
    // snapshot only it still holds (the version before an edit); one handed
    // out after that reads it anew.
    mutable std::mutex parseMutex;
    mutable std::shared_ptr<ParsedText> parse;
    mutable std::once_flag linesOnce;
    mutable std::optional<LineTable> lines;
    mutable std::mutex modelMutex;
    mutable std::unique_ptr<Configuration> model;
};

// A new snapshot; the workspace fills in its state.
std::shared_ptr<Snapshot> makeSnapshot();
Snapshot::Impl& stateOf(Snapshot& snapshot);
const Snapshot::Impl& stateOf(const Snapshot& snapshot);

}  // namespace OrvexConfigValidate
