#include <orvexconfigvalidate/Workspace.hpp>

#include "edit/SnapshotState.hpp"

#include <mutex>

namespace OrvexConfigValidate {

// Built by the workspace only, through makeSnapshot.
struct SnapshotFactory {
    static std::shared_ptr<const Snapshot> make(SnapshotParts parts) {
        std::shared_ptr<Snapshot> made(new Snapshot());
        made->impl = std::make_unique<Snapshot::Impl>(std::move(parts));
        return made;
    }
    static const Snapshot::Impl& of(const Snapshot& snapshot) { return *snapshot.impl; }
};

std::shared_ptr<const Snapshot> makeSnapshot(SnapshotParts parts) {
    return SnapshotFactory::make(std::move(parts));
}
const SnapshotParts& partsOf(const Snapshot& snapshot) {
    return SnapshotFactory::of(snapshot).parts;
}

std::shared_ptr<const ParsedText> parseOf(const Snapshot& snapshot) {
    const Snapshot::Impl& impl = SnapshotFactory::of(snapshot);
    if (impl.parts.parse) return impl.parts.parse;
    const std::lock_guard<std::mutex> lock(impl.parseMutex);
    if (impl.madeParse) return impl.madeParse;
    if (const std::shared_ptr<const PendingDocument> pending = std::move(impl.pending)) {
        impl.madeParse = spliceDocument(*pending->before, impl.parts.text, pending->from,
                                        pending->to, pending->newLength, pending->values);
    }
    if (!impl.madeParse) {
        impl.madeParse =
            std::make_shared<const ParsedText>(parseText(*impl.parts.text, impl.parts.text));
    }
    return impl.madeParse;
}

std::shared_ptr<const ParsedText> parseIfMade(const Snapshot& snapshot) {
    const Snapshot::Impl& impl = SnapshotFactory::of(snapshot);
    if (impl.parts.parse) return impl.parts.parse;
    const std::lock_guard<std::mutex> lock(impl.parseMutex);
    return impl.madeParse;
}

Snapshot::Snapshot() = default;
Snapshot::~Snapshot() = default;

const std::string& Snapshot::key() const {
    return impl->parts.key;
}
std::int64_t Snapshot::version() const {
    return impl->parts.version;
}
const std::string& Snapshot::text() const {
    return *impl->parts.text;
}
const std::string& Snapshot::schemaId() const {
    return impl->parts.schemaId;
}
const ValidationResult& Snapshot::result() const {
    return *impl->parts.result;
}
int Snapshot::source() const {
    return impl->parts.source;
}
bool Snapshot::carried() const {
    return impl->parts.carried;
}

const ParsedText& Snapshot::parsed() const {
    return *parseOf(*this);
}

const LineTable& Snapshot::lines() const {
    std::call_once(impl->linesOnce, [this] { impl->lines.emplace(*impl->parts.text); });
    return *impl->lines;
}

const Configuration* Snapshot::configuration() const {
    if (impl->parts.model) return impl->parts.model.get();
    std::call_once(impl->modelOnce, [this] {
        if (!impl->parts.schemaId.empty() && parsed().ok()) {
            impl->readModel =
                std::make_unique<const Configuration>(impl->parts.schemaId, parsed().root());
        }
    });
    return impl->readModel.get();
}

const ParsedText* Snapshot::lastGoodParse() const {
    if (parsed().ok()) return &parsed();
    return impl->parts.lastGood ? impl->parts.lastGood->lastGoodParse() : nullptr;
}

}  // namespace OrvexConfigValidate
