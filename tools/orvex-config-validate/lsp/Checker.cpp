#include "Checker.hpp"

#include <algorithm>
#include <exception>

#include <new>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>

#include "Diagnostics.hpp"
#include "FileUri.hpp"
#include "Framing.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

const char* const kServerSchema = kServerSchemaId;
const char* const kBridgesSchema = kBridgesSchemaId;

bool hasParseError(const ValidationResult& result) {
    return std::any_of(result.issues.begin(), result.issues.end(),
                       [](const Issue& issue) { return issue.code == IssueCode::kParseError; });
}

// The bridges file the server at serverPath names, by the one deployment
// rule; "" when it names none that may be read.
std::string bridgesPathOf(const std::string& serverPath, const nlohmann::json& server) {
    return bridgesFileFor(serverPath, server).path;
}

// The issues of one call kept for publishing: those of a pair's two files.
ValidateOptions publishedOptions(ValidateOptions options) {
    options.maxIssues = 2 * kMaxPublished;
    return options;
}

// At most kMaxPublished, then one that counts the rest (those the library
// only counted included), written as text one diagnostic at a time: a file
// of many issues is never held as values, whose building and freeing (which
// allocates too) would need many times the memory. Also keeps the issues'
// fixes with the document, for its code actions.
JsonPayload diagnosticsOf(const ValidationResult& result, int source, Document& document) {
    const TextPositions& positions = document.positions();
    std::string text = "[";
    document.fixes.clear();
    std::size_t notShown = result.omittedIn(source).total();
    std::size_t published = 0;
    for (const auto& issue : result.issues) {
        if (issue.source != source) continue;
        if (published == kMaxPublished) {
            ++notShown;
            continue;
        }
        nlohmann::json diagnostic = toDiagnostic(issue, document.text, positions, document.uri);
        if (published++ != 0) text += ',';
        text += serialise(diagnostic);
        if (issue.fixes.empty()) continue;
        const std::size_t begin = issue.location.offset;
        document.fixes.push_back(
            {begin, begin + issue.location.length, std::move(diagnostic), issue.fixes});
    }
    if (notShown != 0) {
        if (published != 0) text += ',';
        text += serialise(notShownDiagnostic(notShown));
    }
    text += ']';
    return JsonPayload::encoded(std::move(text));
}

}  // namespace

CheckSettings readCheckSettings(const nlohmann::json& initializationOptions,
                                std::vector<std::string>& warnings) {
    CheckSettings settings;
    if (!initializationOptions.is_object()) return settings;
    const std::vector<std::string> known = schemaIds();
    const auto schemas = initializationOptions.find("schemas");
    if (schemas != initializationOptions.end()) {
        if (!schemas->is_object()) {
            warnings.push_back("initializationOptions.schemas must be an object");
        } else {
            for (const auto& [key, id] : schemas->items()) {
                if (!id.is_string() ||
                    std::find(known.begin(), known.end(), id.get<std::string>()) == known.end()) {
                    warnings.push_back("initializationOptions.schemas: '" + key +
                                       "' names no known schema id");
                    continue;
                }
                settings.schemaChoices.emplace_back(key, id.get<std::string>());
            }
        }
    }
    const auto schemaDir = initializationOptions.find("schemaDir");
    if (schemaDir != initializationOptions.end()) {
        if (schemaDir->is_string()) {
            settings.options.schemaDir = schemaDir->get<std::string>();
        } else {
            warnings.push_back("initializationOptions.schemaDir must be a string");
        }
    }
    const auto strict = initializationOptions.find("strict");
    if (strict != initializationOptions.end()) {
        if (strict->is_boolean()) {
            settings.options.strict = strict->get<bool>();
        } else {
            warnings.push_back("initializationOptions.strict must be true or false");
        }
    }
    return settings;
}

Checker::Checker(DocumentStore& documents, CheckSettings checkSettings)
    : store(documents),
      settings(std::move(checkSettings)),
      validator(ValidatorOptions{settings.options.schemaDir}) {}

std::string Checker::chosenSchemaId(const std::string& uri, const std::string& path) const {
    for (const auto& [key, id] : settings.schemaChoices) {
        if (key == uri || (!path.empty() && (key == path || key == fileNameOf(path)))) return id;
    }
    return schemaIdForFileName(path.empty() ? uri : path);
}

std::optional<std::string> Checker::textAt(const std::string& path) const {
    if (const Document* open = store.findByPath(path)) return open->text;
    // The library's reader takes regular files only and never waits: a
    // named pipe there must not hold the server. A partner larger than any
    // message is not a configuration file.
    FileText read = readConfigurationFile(path, FrameDecoder::kDefaultMaxBody);
    return std::move(read.text);
}

std::optional<Checker::Partner> Checker::bridgesOf(const Document& server) const {
    if (server.path.empty() || !server.parsed().ok()) return std::nullopt;
    const std::string path = bridgesPathOf(server.path, server.parsed().document());
    if (path.empty() || path == server.path) return std::nullopt;
    std::optional<std::string> text = textAt(path);
    if (!text) return std::nullopt;
    return Partner{path, std::move(*text), false};
}

std::optional<Checker::Partner> Checker::serverOf(const std::string& bridgesPath) const {
    if (bridgesPath.empty()) return std::nullopt;
    const std::string directory = directoryOf(bridgesPath);
    std::vector<std::string> candidates{directory + "/" + kServerFileName};
    for (const Document* open : store.inFolder(directory)) {
        if (chosenSchemaId(open->uri, open->path) == kServerSchema &&
            open->path != candidates.front()) {
            candidates.push_back(open->path);
        }
    }
    for (const auto& path : candidates) {
        if (path == bridgesPath) continue;
        std::optional<std::string> text = textAt(path);
        if (!text) continue;
        const ParsedText parsed = parseText(*text);
        if (parsed.ok() && bridgesPathOf(path, parsed.document()) == bridgesPath) {
            return Partner{path, std::move(*text), true};
        }
    }
    return std::nullopt;
}

std::string Checker::schemaIdFor(const Document& document) const {
    std::string chosen = chosenSchemaId(document.uri, document.path);
    if (!chosen.empty()) return chosen;
    // Any file that a server in its folder names as its bridges file.
    return serverOf(document.path) ? kBridgesSchema : "";
}

void Checker::rememberBridges(const Document& bridges, ParsedText&& parsed,
                              const ValidationResult& result, int source,
                              const std::string& serverText) {
    // Edits are carried over a complete result only.
    if (result.omitted.total() != 0 || bridges.text.size() < IncrementalCheck::kMinimumSize ||
        !IncrementalCheck::applies(settings.options, !serverText.empty())) {
        incremental.erase(bridges.uri);
        return;
    }
    if (!incremental[bridges.uri].remember(std::move(parsed), bridges.text, result, source,
                                           serverText, settings.options)) {
        incremental.erase(bridges.uri);
    }
}

// The document checked with its partner; false when one of the two texts
// does not parse: it cannot take part in the cross-file rules, and each
// file is then judged on its own.
bool Checker::checkPair(Document& document, const Partner& partner, Publication& own,
                        std::set<std::string>& done, std::vector<Publication>& out) {
    const std::string& serverText = partner.isServer ? partner.text : document.text;
    const std::string& bridgesText = partner.isServer ? document.text : partner.text;
    ParsedText server = parseText(serverText);
    ParsedText bridgesParse = parseText(bridgesText);
    ValidationResult result =
        validator.validateTextPair(server, bridgesParse, publishedOptions(settings.options));
    if (hasParseError(result)) return false;
    addFixes(result, server, serverText, 0);
    addFixes(result, bridgesParse, bridgesText, 1);
    own.diagnostics = diagnosticsOf(result, partner.isServer ? 1 : 0, document);
    out.push_back(std::move(own));
    if (partner.isServer) {
        rememberBridges(document, std::move(bridgesParse), result, 1, partner.text);
    } else if (const Document* bridges = store.findByPath(partner.path)) {
        rememberBridges(*bridges, std::move(bridgesParse), result, 1, document.text);
    }
    Document* other = nullptr;
    for (const Document* open : store.inFolder(directoryOf(partner.path))) {
        if (open->path == partner.path) other = store.find(open->uri);
    }
    if (other != nullptr && done.count(other->uri) == 0) {
        done.insert(other->uri);
        other->schemaId = partner.isServer ? kServerSchema : kBridgesSchema;
        out.push_back(
            {other->uri, other->version, diagnosticsOf(result, partner.isServer ? 0 : 1, *other)});
    }
    return true;
}

bool Checker::checkEdit(Document& bridges, const std::optional<Partner>& server,
                        std::set<std::string>& done, std::vector<Publication>& out) {
    const auto cache = incremental.find(bridges.uri);
    if (cache == incremental.end()) return false;
    const std::optional<std::vector<Issue>> issues =
        cache->second.update(bridges.previousText, bridges.text, server ? server->text : "",
                             validator, settings.options);
    if (!issues) {
        // The whole text is checked next and remembered afresh: the old
        // document goes now, so that the new one is read into its memory
        // rather than beside it.
        incremental.erase(cache);
        return false;
    }
    ++carried;
    ValidationResult result;
    result.issues = *issues;
    const int source = issues->empty() ? 0 : issues->front().source;
    out.push_back({bridges.uri, bridges.version, diagnosticsOf(result, source, bridges)});
    // The server's own diagnostics depend on its text alone, which is
    // unchanged: they stand as published.
    if (server) {
        if (const Document* open = store.findByPath(server->path)) done.insert(open->uri);
    }
    return true;
}

void Checker::check(Document& document, std::set<std::string>& done,
                    std::vector<Publication>& out) {
    done.insert(document.uri);
    document.schemaId = schemaIdFor(document);
    Publication own{document.uri, document.version};
    if (document.schemaId.empty()) {
        out.push_back(own);
        return;
    }
    std::optional<Partner> partner;
    if (document.schemaId == kServerSchema) partner = bridgesOf(document);
    if (document.schemaId == kBridgesSchema) partner = serverOf(document.path);
    try {
        if (document.schemaId == kBridgesSchema && checkEdit(document, partner, done, out)) {
            return;
        }
        if (partner && checkPair(document, *partner, own, done, out)) return;
        // One parse serves the check and the carrying of later edits.
        ParsedText parsed = parseText(document.text);
        ValidationResult result =
            validator.validateText(document.schemaId, parsed, publishedOptions(settings.options));
        addFixes(result, parsed, document.text, 0);
        own.diagnostics = diagnosticsOf(result, 0, document);
        if (document.schemaId == kBridgesSchema) {
            rememberBridges(document, std::move(parsed), result, 0, "");
        }
    } catch (const std::bad_alloc&) {
        incremental.erase(document.uri);
        document.fixes.clear();
        // Say so rather than leave stale diagnostics.
        own.diagnostics = nlohmann::json::array({failureDiagnostic("not enough memory")});
    }
    out.push_back(own);
}

bool Checker::mayPair(const Document& document) const {
    const std::string chosen = chosenSchemaId(document.uri, document.path);
    return chosen.empty() || chosen == kServerSchema || chosen == kBridgesSchema;
}

std::vector<Publication> Checker::refresh(const std::string& uri) {
    std::vector<Publication> out;
    std::set<std::string> done;
    std::string directory;
    if (Document* document = store.find(uri)) {
        check(*document, done, out);
        document->forgetPreviousText();
        directory = directoryOf(document->path);
    } else {
        incremental.erase(uri);
        out.push_back({uri, std::nullopt});
        done.insert(uri);
        directory = directoryOf(pathFromUri(uri));
    }
    if (directory.empty()) return out;
    // The other files of the folder that can be one half of a deployment
    // may have gained or lost their partner.
    for (const Document* open : store.inFolder(directory)) {
        if (done.count(open->uri) == 0 && mayPair(*open)) check(*store.find(open->uri), done, out);
    }
    return out;
}

std::vector<Publication> Checker::refreshFolder(const std::string& directory) {
    std::vector<Publication> out;
    std::set<std::string> done;
    for (const Document* open : store.inFolder(directory)) {
        if (done.count(open->uri) == 0 && mayPair(*open)) check(*store.find(open->uri), done, out);
    }
    return out;
}

}  // namespace OrvexConfigValidate::Lsp
