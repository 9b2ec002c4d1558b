// An open document as one request sees it: the snapshot of its version
// that the workspace checked, and where the document lives.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>
#include <orvexconfigvalidate/Workspace.hpp>

#include "TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {

struct Document {
    std::string uri;
    std::string path;  // "" when the URI names no local file
    std::shared_ptr<const Snapshot> snapshot;

    const std::string& text() const { return snapshot->text(); }
    std::int64_t version() const { return snapshot->version(); }
    // "" when no schema applies.
    const std::string& schemaId() const { return snapshot->schemaId(); }
    const ParsedText& parsed() const { return snapshot->parsed(); }
    const ParsedText* lastGoodParse() const { return snapshot->lastGoodParse(); }
    const Configuration* configuration() const { return snapshot->configuration(); }
};

// The most diagnostics published for one document: an editor lists no more
// usefully, and each costs the server and the editor some hundred bytes.
constexpr std::size_t kMaxPublished = 1000;

// The issues published for a version, in order: its own, at most
// kMaxPublished.
std::vector<const Issue*> publishedIssues(const Snapshot& snapshot);

// The editor's positions (UTF-16 columns) of the last snapshot asked about,
// per document: made on first use after each version, as every request on
// a large file would otherwise read all its lines again. Holds no snapshot:
// the workspace alone keeps a version, so that the next can take it over.
class PositionsCache {
  public:
    const TextPositions& of(const std::shared_ptr<const Snapshot>& snapshot);
    void forget(const std::string& key) { entries.erase(key); }

  private:
    struct Entry {
        std::weak_ptr<const Snapshot> snapshot;
        std::unique_ptr<TextPositions> positions;
    };
    std::map<std::string, Entry> entries;
};

}  // namespace OrvexConfigValidate::Lsp
