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
#include "ProtocolKinds.hpp"
#include "RequestParams.hpp"
#include "SchemaWarnings.hpp"
#include "TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

// The notification as text, the diagnostics put in as they are: a list of
// megabytes is neither copied nor read into values again.
Outgoing publicationMessage(const Publication& publication, JsonPayload diagnostics) {
    std::string message =
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\",\"params\":{";
    message += "\"uri\":" + serialise(nlohmann::json(publication.uri));
    if (publication.version) message += ",\"version\":" + std::to_string(*publication.version);
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

}  // namespace

Server::Server(Sender sender, std::string toolVersion, CheckSettings settings)
    : send(std::move(sender)), version(std::move(toolVersion)), defaults(std::move(settings)) {}

void Server::log(int type, const std::string& message) {
    send(makeNotification("window/logMessage", {{"type", type}, {"message", message}}));
}

void Server::handleFramingError(const std::string& problem) {
    log(MessageType::kError, "dropped a message: " + problem);
}

std::optional<nlohmann::json> Server::parseBody(std::string_view body) {
    try {
        return parseMessage(body);
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
        std::optional<nlohmann::json> message = parseBody(body);
        // The message holds all it needs: a large body's memory is handed
        // back before the check, which can then reuse it.
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
        const Document& document = openDocument(request.params);
        return feature({document, document.positions(), checker->schemas(), request.params});
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
    checker = std::make_unique<Checker>(store, std::move(settings));
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

void Server::publish(std::vector<Publication> publications) {
    for (auto& publication : publications) {
        try {
            send(publicationMessage(publication, std::move(publication.diagnostics)));
        } catch (const std::bad_alloc&) {
            // The editor must not keep showing what the text no longer says.
            send(publicationMessage(
                publication, nlohmann::json::array({failureDiagnostic("not enough memory")})));
        }
    }
}

Document& Server::openDocument(const nlohmann::json& params) {
    const std::string uri = uriOf(params);
    Document* document = store.find(uri);
    if (document == nullptr) throw badParams("'" + uri + "' is not open");
    return *document;
}

void Server::didOpen(nlohmann::json& params) {
    nlohmann::json& textDocument = member(params, "textDocument", "params");
    const std::string uri = stringMember(textDocument, "uri", "textDocument");
    std::string text = takeStringMember(textDocument, "text", "textDocument");
    store.open(uri, std::move(text), versionOf(textDocument));
    publish(checker->refresh(uri));
}

void Server::didChange(nlohmann::json& params) {
    Document& document = openDocument(params);
    nlohmann::json& changes = member(params, "contentChanges", "params");
    if (!changes.is_array()) throw badParams("params.contentChanges must be an array");
    // Ranged changes go through pieces, as one message may carry
    // thousands; a whole text replaces everything before it.
    ChangedText text(document.text, ChangedText::kPieceBytes, &document.positions());
    for (auto& change : changes) {
        std::string replacement = takeStringMember(change, "text", "contentChanges[]");
        if (!change.contains("range")) {
            text.replaceAll(std::move(replacement));
            continue;
        }
        const nlohmann::json& range = change["range"];
        if (!text.replace(positionIn(member(range, "start", "range"), "start"),
                          positionIn(member(range, "end", "range"), "end"), replacement)) {
            throw badParams("a change range ends before it starts");
        }
    }
    if (!text.changed()) return;
    document.version = versionOf(member(params, "textDocument", "params"));
    document.setText(text.take());
    publish(checker->refresh(document.uri));
}

void Server::didSave(const nlohmann::json& params) {
    Document& document = openDocument(params);
    if (params.contains("text") && params["text"].is_string()) {
        document.setText(params["text"].get<std::string>());
    }
    publish(checker->refresh(document.uri));
}

void Server::didClose(const nlohmann::json& params) {
    const std::string uri = uriOf(params);
    store.close(uri);
    publish(checker->refresh(uri));
}

void Server::didChangeWatchedFiles(const nlohmann::json& params) {
    const nlohmann::json& changes = member(params, "changes", "params");
    if (!changes.is_array()) throw badParams("params.changes must be an array");
    std::set<std::string> folders;
    for (const auto& change : changes) {
        const std::string path = pathFromUri(stringMember(change, "uri", "changes[]"));
        if (!path.empty()) folders.insert(directoryOf(path));
    }
    for (const auto& folder : folders) publish(checker->refreshFolder(folder));
}

}  // namespace OrvexConfigValidate::Lsp
