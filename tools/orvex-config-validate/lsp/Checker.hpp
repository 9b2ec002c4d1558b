// Which schema an open document follows, which file it is checked with, and
// the diagnostics that come of it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/IncrementalCheck.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Documents.hpp"
#include "JsonRpc.hpp"

namespace OrvexConfigValidate::Lsp {

struct CheckSettings {
    ValidateOptions options;
    // Schema ids chosen by the editor, keyed by URI, path or file name.
    std::vector<std::pair<std::string, std::string>> schemaChoices;
};

// Reads the initialization options {"schemas": {KEY: ID}, "schemaDir": DIR,
// "strict": BOOL}; what cannot be used is named in warnings.
CheckSettings readCheckSettings(const nlohmann::json& initializationOptions,
                                std::vector<std::string>& warnings);

struct Publication {
    std::string uri;
    std::optional<std::int64_t> version;  // absent for a closed document
    // The array, as text when written by a check.
    JsonPayload diagnostics{nlohmann::json::array()};
};

class Checker {
  public:
    Checker(DocumentStore& store, CheckSettings settings);

    // Checks the document and every other open document of its folder, whose
    // diagnostics may depend on it. A closed document gets an empty list.
    std::vector<Publication> refresh(const std::string& uri);
    std::vector<Publication> refreshFolder(const std::string& directory);

    const Validator& schemas() const { return validator; }
    // How many edits had their issues carried over rather than the whole
    // text checked again.
    std::size_t carriedEdits() const { return carried; }

    // The schema id of an open document; "" when none applies.
    std::string schemaIdFor(const Document& document) const;

  private:
    struct Partner {
        std::string path;
        std::string text;
        bool isServer = false;
    };

    void check(Document& document, std::set<std::string>& done, std::vector<Publication>& out);
    bool checkPair(Document& document, const Partner& partner, Publication& own,
                   std::set<std::string>& done, std::vector<Publication>& out);
    bool checkEdit(Document& bridges, const std::optional<Partner>& server,
                   std::set<std::string>& done, std::vector<Publication>& out);
    void rememberBridges(const Document& bridges, ParsedText&& parsed,
                         const ValidationResult& result, int source, const std::string& serverText);
    std::string chosenSchemaId(const std::string& uri, const std::string& path) const;
    // Whether the document can be one half of a server/bridges pair.
    bool mayPair(const Document& document) const;
    std::optional<std::string> textAt(const std::string& path) const;
    std::optional<Partner> bridgesOf(const Document& server) const;
    std::optional<Partner> serverOf(const std::string& bridgesPath) const;

    DocumentStore& store;
    CheckSettings settings;
    Validator validator;
    // Large open bridges texts, by URI.
    std::map<std::string, IncrementalCheck> incremental;
    std::size_t carried = 0;
};

}  // namespace OrvexConfigValidate::Lsp
