#include <orvexconfigvalidate/Workspace.hpp>

#include "edit/SnapshotState.hpp"

#include <mutex>

namespace OrvexConfigValidate {

// Built by the workspace only, through makeSnapshot.
struct SnapshotFactory {
    static std::shared_ptr<Snapshot> make() { return std::shared_ptr<Snapshot>(new Snapshot()); }
    static Snapshot::Impl& of(Snapshot& snapshot) { return *snapshot.impl; }
    static const Snapshot::Impl& of(const Snapshot& snapshot) { return *snapshot.impl; }
};

std::shared_ptr<Snapshot> makeSnapshot() {
    return SnapshotFactory::make();
}
Snapshot::Impl& stateOf(Snapshot& snapshot) {
    return SnapshotFactory::of(snapshot);
}
const Snapshot::Impl& stateOf(const Snapshot& snapshot) {
    return SnapshotFactory::of(snapshot);
}

Snapshot::Snapshot() : impl(std::make_unique<Impl>()) {}
Snapshot::~Snapshot() = default;

const std::string& Snapshot::key() const {
    return impl->key;
}
std::int64_t Snapshot::version() const {
    return impl->version;
}
const std::string& Snapshot::text() const {
    return *impl->text;
}
const std::string& Snapshot::schemaId() const {
    return impl->schemaId;
}
const ValidationResult& Snapshot::result() const {
    return *impl->result;
}
int Snapshot::source() const {
    return impl->source;
}
bool Snapshot::carried() const {
    return impl->carried;
}

const ParsedText& Snapshot::parsed() const {
    const std::lock_guard<std::mutex> lock(impl->parseMutex);
    if (!impl->parse) {
        impl->parse = std::make_shared<ParsedText>(parseText(*impl->text, impl->text));
    }
    return *impl->parse;
}

const LineTable& Snapshot::lines() const {
    std::call_once(impl->linesOnce, [this] { impl->lines.emplace(*impl->text); });
    return *impl->lines;
}

const Configuration* Snapshot::configuration() const {
    const std::lock_guard<std::mutex> lock(impl->modelMutex);
    // The check's own model when it handed it over.
    if (!impl->model && !impl->schemaId.empty() && parsed().ok()) {
        impl->model = std::make_unique<Configuration>(impl->schemaId, parsed().root());
    }
    return impl->model.get();
}

const ParsedText* Snapshot::lastGoodParse() const {
    if (parsed().ok()) return &parsed();
    return impl->lastGood ? impl->lastGood->lastGoodParse() : nullptr;
}

}  // namespace OrvexConfigValidate
