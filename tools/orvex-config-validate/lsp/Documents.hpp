// The texts the editor has open, by URI.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {

// The fixes of one issue last published for a document, with the bytes its
// diagnostic marks.
struct IssueFixes {
    std::size_t begin = 0;
    std::size_t end = 0;
    nlohmann::json diagnostic;
    std::vector<Fix> fixes;
};

struct Document {
    std::string uri;
    std::string path;  // "" when the URI names no local file
    std::string text;
    // The text before the last change, until the check after that change:
    // an edit is carried over from it.
    std::string previousText;
    std::int64_t version = 0;
    // The schema the document was last checked against ("" when none applies).
    std::string schemaId;
    // Of the diagnostics last published; they were made from this text.
    std::vector<IssueFixes> fixes;

    // The text parsed with positions, made on first use after each change.
    const ParsedText& parsed() const;
    // The last parse that succeeded, possibly of an earlier text; null if none.
    const ParsedText* lastGoodParse() const;
    // Positions of the text, made on first use after each change: every
    // request on a large file would otherwise read all its lines again.
    const TextPositions& positions() const;
    // The text read as a configuration of schemaId, made on first use after
    // each change of either; null when the text does not parse.
    const Configuration* configuration() const;
    void setText(std::string newText);
    void forgetPreviousText() { std::string().swap(previousText); }

  private:
    mutable std::shared_ptr<ParsedText> current;
    mutable std::unique_ptr<TextPositions> textPositions;
    mutable std::unique_ptr<Configuration> model;
    mutable std::string modelSchemaId;
    mutable std::shared_ptr<ParsedText> lastGood;
};

class DocumentStore {
  public:
    Document& open(const std::string& uri, std::string text, std::int64_t version);
    void close(const std::string& uri);
    Document* find(const std::string& uri);
    const Document* find(const std::string& uri) const;
    const Document* findByPath(const std::string& path) const;
    // Open documents whose path lies directly in this folder.
    std::vector<const Document*> inFolder(const std::string& directory) const;

  private:
    std::map<std::string, Document> documents;
};

}  // namespace OrvexConfigValidate::Lsp
