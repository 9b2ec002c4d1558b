#include "Server.hpp"

#include <exception>
#include <new>
#include <set>
#include <utility>

#include "ChangedText.hpp"
#include "Diagnostics.hpp"
#include "Features.hpp"
#include "FileUri.hpp"
#include "MessageParser.hpp"
#include "ProjectActions.hpp"
#include "ProtocolKinds.hpp"
#include "RequestParams.hpp"
#include "SchemaWarnings.hpp"
#include "TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

// The notification as text, the diagnostics put in as they are: a list of
// megabytes is neither copied nor read into values again.
Outgoing publicationMessage(const std::string& uri, std::optional<std::int64_t> version,
                            JsonPayload diagnostics) {
    std::string message =
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\",\"params\":{";
    message += "\"uri\":" + serialise(nlohmann::json(uri));
    if (version) message += ",\"version\":" + std::to_string(*version);
    message += ",\"diagnostics\":";
    if (diagnostics.text) {
        std::string& list = *diagnostics.text;
        list.insert(0, message);
        list += "}}";
        return Outgoing::encoded(std::move(list));
    }
    message += serialise(diagnostics.value) + "}}";
    return Outgoing::encoded(std::move(message));
}

// What the walk of a workspace folder read, for the editor's log.
std::string walkMessage(const std::string& folder, const WalkSummary& walked) {
    std::string message = "indexed the workspace folder " + folder + ": " +
                          std::to_string(walked.folders) + " folders, " +
                          std::to_string(walked.entries) + " names in " +
                          std::to_string(walked.took.count()) + " ms";
    if (!walked.complete) {
        message += "; the walk stopped at its bound of " + walked.stoppedAt +
                   ", and the folders it did not reach are read when a file in them is opened";
    }
    return message;
}

// A ranged change's start and end, as the client wrote them.
std::pair<Position, Position> rangeOf(nlohmann::json& change) {
    const nlohmann::json& range = change["range"];
    return {positionIn(member(range, "start", "range"), "start"),
            positionIn(member(range, "end", "range"), "end")};
}

}  // namespace

Server::Server(Sender sender, std::string toolVersion, CheckSettings settings)
    : send(std::move(sender)), version(std::move(toolVersion)), defaults(std::move(settings)) {}

void Server::log(int type, const std::string& message) {
    send(makeNotification("window/logMessage", {{"type", type}, {"message", message}}));
}

void Server::handleFramingError(const std::string& problem) {
    log(MessageType::kError, "dropped a message: " + problem);
}

std::optional<nlohmann::json> Server::parseBody(std::string_view body, std::string* owned) {
    try {
        return owned != nullptr ? parseMessage(std::move(*owned)) : parseMessage(body);
    } catch (const nlohmann::json::exception& e) {
        send(makeError(nullptr, ErrorCode::kParseError,
                       std::string("body is not JSON: ") + e.what()));
    } catch (const MessageTooDeep& e) {
        send(makeError(nullptr, ErrorCode::kInvalidRequest, e.what()));
    }
    return std::nullopt;
}

void Server::showOutOfMemory(const std::string& what) {
    send(makeNotification("window/showMessage",
                          {{"type", MessageType::kError},
                           {"message", what + ": not enough memory; it was dropped"}}));
}

void Server::handleBody(std::string_view body) {
    try {
        if (std::optional<nlohmann::json> message = parseBody(body)) dispatch(std::move(*message));
    } catch (const std::bad_alloc&) {
        showOutOfMemory("a message");
    }
}

void Server::takeBody(std::string body) {
    // Memory running out while a message is read or handled outside the
    // requests' own answers ends that message, not the server.
    try {
        // A document's text takes the body's own room; nothing of the size
        // of the text is left behind for the check to work beside.
        std::optional<nlohmann::json> message = parseBody(body, &body);
        std::string().swap(body);
        if (message) dispatch(std::move(*message));
    } catch (const std::bad_alloc&) {
        showOutOfMemory("a message");
    }
}

void Server::dispatch(nlohmann::json message) {
    if (!message.is_array()) {
        if (auto response = handleMessage(std::move(message))) send(*response);
        return;
    }
    if (message.empty()) {
        send(makeError(nullptr, ErrorCode::kInvalidRequest, "empty batch"));
        return;
    }
    std::vector<Outgoing> responses;
    for (auto& element : message) {
        if (exited) break;
        if (auto response = handleMessage(std::move(element))) {
            responses.push_back(std::move(*response));
        }
    }
    if (!responses.empty()) send(makeBatch(std::move(responses)));
}

std::optional<Outgoing> Server::handleMessage(nlohmann::json message) {
    Incoming incoming = classify(std::move(message));
    switch (incoming.kind) {
        case Incoming::Kind::Invalid:
            return makeError(incoming.id, ErrorCode::kInvalidRequest, incoming.problem);
        case Incoming::Kind::Response:
            // The server sends no requests; a stray answer needs nothing.
            return std::nullopt;
        case Incoming::Kind::Notification:
            try {
                handleNotification(incoming);
            } catch (const RequestError& e) {
                log(MessageType::kError, incoming.method + ": " + e.message);
            } catch (const std::bad_alloc&) {
                showOutOfMemory(incoming.method);
            } catch (const std::exception& e) {
                log(MessageType::kError, incoming.method + " failed: " + e.what());
            }
            return std::nullopt;
        case Incoming::Kind::Request:
            try {
                return makeAnswer(incoming.id, handleRequest(incoming));
            } catch (const RequestError& e) {
                return makeError(incoming.id, e.code, e.message);
            } catch (const std::bad_alloc&) {
                return makeError(incoming.id, ErrorCode::kRequestFailed,
                                 incoming.method + ": not enough memory to answer");
            } catch (const std::exception& e) {
                return makeError(incoming.id, ErrorCode::kInternalError,
                                 incoming.method + " failed: " + e.what());
            }
    }
    return std::nullopt;
}

Result Server::handleRequest(const Incoming& request) {
    const std::string& method = request.method;
    if (state == State::Uninitialized && method != "initialize") {
        throw RequestError{ErrorCode::kServerNotInitialized, "initialize first"};
    }
    if (state == State::ShutDown) {
        throw RequestError{ErrorCode::kInvalidRequest, "the server is shut down"};
    }
    if (method == "initialize") {
        if (state != State::Uninitialized) {
            throw RequestError{ErrorCode::kInvalidRequest, "already initialized"};
        }
        return initialize(request.params);
    }
    if (method == "shutdown") {
        state = State::ShutDown;
        return nlohmann::json(nullptr);
    }
    if (const Feature feature = featureFor(method)) {
        const Document document = openDocument(request.params);
        return feature({document, positions.of(document.snapshot), checker->schemas(),
                        request.params, &checker->project()});
    }
    throw RequestError{ErrorCode::kMethodNotFound, "unknown method '" + method + "'"};
}

void Server::handleNotification(Incoming& notification) {
    const std::string& method = notification.method;
    if (method == "exit") {
        exited = true;
        return;
    }
    // Before initialize and after shutdown, notifications are dropped.
    if (state != State::Running) return;
    nlohmann::json& params = notification.params;
    if (method == "textDocument/didOpen") {
        didOpen(params);
    } else if (method == "textDocument/didChange") {
        didChange(params);
    } else if (method == "textDocument/didSave") {
        didSave(params);
    } else if (method == "textDocument/didClose") {
        didClose(params);
    } else if (method == "workspace/didChangeWatchedFiles") {
        didChangeWatchedFiles(params);
    } else if (method == "initialized" && mayRegisterWatcher) {
        registerWatcher();
    }
    // Anything else ("initialized", "$/cancelRequest", settings) needs no action.
}

nlohmann::json Server::initialize(const nlohmann::json& params) {
    std::vector<std::string> warnings;
    CheckSettings settings = defaults;
    if (params.is_object() && params.contains("initializationOptions")) {
        const nlohmann::json& options = params["initializationOptions"];
        CheckSettings chosen = readCheckSettings(options, warnings);
        settings.schemaChoices = std::move(chosen.schemaChoices);
        // What the editor sets wins over the command line.
        if (options.is_object() && options.contains("schemaDir") &&
            options["schemaDir"].is_string()) {
            settings.options.schemaDir = chosen.options.schemaDir;
        }
        if (options.is_object() && options.contains("strict") && options["strict"].is_boolean()) {
            settings.options.strict = chosen.options.strict;
        }
    }
    // Files of the schema directory that are passed over: the editor shows
    // these, as the diagnostics would otherwise follow another schema unsaid.
    for (const auto& warning : Tool::schemaDirectoryWarnings(settings.options.schemaDir)) {
        warnings.push_back(warning);
        send(makeNotification("window/showMessage",
                              {{"type", MessageType::kWarning}, {"message", warning}}));
    }
    workspace = std::make_unique<Workspace>(workspaceOptions(settings));
    checker = std::make_unique<Checker>(*workspace, std::move(settings));
    // The folders are walked when first needed, not before the answer.
    checker->setRoots(workspaceFolders(params));
    checker->onWalk([this](const std::string& folder, const WalkSummary& walked) {
        log(MessageType::kLog, walkMessage(folder, walked));
    });
    mayRegisterWatcher = watcherRegistrationOffered(params);
    state = State::Running;
    for (const auto& warning : warnings) log(MessageType::kWarning, warning);
    // Ranged changes: one message costs about one pass over the text
    // however many ranges it carries.
    nlohmann::json capabilities = {
        {"positionEncoding", "utf-16"},
        {"textDocumentSync",
         {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}}};
    addFeatureCapabilities(capabilities);
    return {{"capabilities", std::move(capabilities)},
            {"serverInfo", {{"name", "orvex-config-validate"}, {"version", version}}}};
}

void Server::publish(const std::vector<Publication>& publications) {
    for (const Publication& publication : publications) {
        try {
            JsonPayload diagnostics(nlohmann::json::array());
            if (!publication.failure.empty()) {
                diagnostics = nlohmann::json::array({failureDiagnostic(publication.failure)});
            } else if (publication.snapshot) {
                const Snapshot& snapshot = *publication.snapshot;
                const TextPositions& at = positions.of(publication.snapshot);
                diagnostics = diagnosticsOf(snapshot, at, publication.uri);
                if (const auto* site =
                        checker->project().issuesOf(snapshot.key(), snapshot.version()))
                    addSiteDiagnostics(diagnostics, *site, snapshot.text(), at, publication.uri);
            }
            send(publicationMessage(publication.uri, publication.version, std::move(diagnostics)));
        } catch (const std::bad_alloc&) {
            // The editor must not keep showing what the text no longer says.
            send(publicationMessage(
                publication.uri, publication.version,
                nlohmann::json::array({failureDiagnostic("not enough memory")})));
        }
    }
}

void Server::registerWatcher() {
    // Every JSON file: a server file may name a bridges file by any name.
    nlohmann::json watchers = nlohmann::json::array({{{"globPattern", "**/*.json"}}});
    send(makeRequest("orvex-watch-configuration", "client/registerCapability",
                     {{"registrations",
                       nlohmann::json::array({{{"id", "orvex-watch-configuration"},
                                               {"method", "workspace/didChangeWatchedFiles"},
                                               {"registerOptions", {{"watchers", watchers}}}}})}}));
}

Document Server::openDocument(const nlohmann::json& params) {
    const std::string uri = uriOf(params);
    std::shared_ptr<const Snapshot> snapshot = workspace->snapshot(uri);
    if (!snapshot) {
        if (!workspace->isOpen(uri)) throw badParams("'" + uri + "' is not open");
        // Its check ran out of memory: it is checked again now.
        checker->refresh(uri);
        snapshot = workspace->snapshot(uri);
        if (!snapshot)
            throw RequestError{ErrorCode::kRequestFailed, "'" + uri + "' is not checked"};
    }
    return Document{uri, pathFromUri(uri), std::move(snapshot)};
}

void Server::didOpen(nlohmann::json& params) {
    nlohmann::json& textDocument = member(params, "textDocument", "params");
    const std::string uri = stringMember(textDocument, "uri", "textDocument");
    std::string text = takeStringMember(textDocument, "text", "textDocument");
    workspace->open(uri, std::move(text), versionOf(textDocument));
    publish(checker->refresh(uri));
}

void Server::didChange(nlohmann::json& params) {
    const std::string uri = uriOf(params);
    if (std::optional<TextEdit> edit = rangedEdit(uri, params)) {
        workspace->edit(uri, {std::move(*edit)},
                        versionOf(member(params, "textDocument", "params")));
        publish(checker->refresh(uri));
        return;
    }
    std::optional<std::string> changed = changedText(uri, params);
    if (!changed) return;
    workspace->replace(uri, std::move(*changed),
                       versionOf(member(params, "textDocument", "params")));
    publish(checker->refresh(uri));
}

// One ranged change of the text last checked, in bytes: the workspace makes
// the new text itself, after letting go of what the version before no
// longer needs. Anything else goes through changedText.
std::optional<TextEdit> Server::rangedEdit(const std::string& uri, nlohmann::json& params) {
    const auto changes = params.find("contentChanges");
    if (changes == params.end() || !changes->is_array() || changes->size() != 1) return {};
    nlohmann::json& change = changes->front();
    if (!change.is_object() || !change.contains("range") || !change.contains("text") ||
        !change["text"].is_string()) {
        return {};
    }
    const std::shared_ptr<const std::string> current = workspace->text(uri);
    const TextPositions* known = current ? positionsOf(uri, *current) : nullptr;
    if (known == nullptr) return {};
    const auto [start, finish] = rangeOf(change);
    const std::size_t begin = known->offsetOf(start);
    const std::size_t end = known->offsetOf(finish);
    if (end < begin) throw badParams("a change range ends before it starts");
    return TextEdit{begin, end - begin, takeStringMember(change, "text", "contentChanges[]")};
}

// The positions of the current text, when the last check was of it.
const TextPositions* Server::positionsOf(const std::string& uri, const std::string& current) {
    const std::shared_ptr<const Snapshot> checked = workspace->snapshot(uri);
    if (!checked || &checked->text() != &current) return nullptr;
    return &positions.of(checked);
}

std::optional<std::string> Server::changedText(const std::string& uri, nlohmann::json& params) {
    // Nothing of the version before is held past this: the workspace takes
    // its document over for the next when no one else reads it.
    const std::shared_ptr<const std::string> current = workspace->text(uri);
    if (!current) throw badParams("'" + uri + "' is not open");
    nlohmann::json& changes = member(params, "contentChanges", "params");
    if (!changes.is_array()) throw badParams("params.contentChanges must be an array");
    const TextPositions* known = positionsOf(uri, *current);
    // Ranged changes go through pieces, as one message may carry
    // thousands; a whole text replaces everything before it.
    ChangedText text(*current, ChangedText::kPieceBytes, known);
    for (auto& change : changes) {
        std::string replacement = takeStringMember(change, "text", "contentChanges[]");
        if (!change.contains("range")) {
            text.replaceAll(std::move(replacement));
            continue;
        }
        const auto [start, end] = rangeOf(change);
        if (!text.replace(start, end, replacement)) {
            throw badParams("a change range ends before it starts");
        }
    }
    if (!text.changed()) return std::nullopt;
    return text.take();
}

void Server::didSave(const nlohmann::json& params) {
    const std::string uri = uriOf(params);
    if (!workspace->isOpen(uri)) throw badParams("'" + uri + "' is not open");
    if (params.contains("text") && params["text"].is_string()) {
        workspace->replace(uri, params["text"].get<std::string>(), *workspace->version(uri));
    }
    publish(checker->refresh(uri));
}

void Server::didClose(const nlohmann::json& params) {
    const std::string uri = uriOf(params);
    workspace->close(uri);
    positions.forget(uri);
    publish(checker->refresh(uri));
}

void Server::didChangeWatchedFiles(const nlohmann::json& params) {
    const nlohmann::json& changes = member(params, "changes", "params");
    if (!changes.is_array()) throw badParams("params.changes must be an array");
    std::vector<std::string> paths;
    for (const auto& change : changes) {
        const std::string path = pathFromUri(stringMember(change, "uri", "changes[]"));
        if (!path.empty()) paths.push_back(path);
    }
    if (!paths.empty()) publish(checker->filesChanged(paths));
}

}  // namespace OrvexConfigValidate::Lsp
