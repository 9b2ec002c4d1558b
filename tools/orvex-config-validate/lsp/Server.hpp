// The language server: lifecycle, dispatch of requests and notifications,
// and the diagnostics it publishes. Transport-free: bodies in, messages out.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "Checker.hpp"
#include "Documents.hpp"
#include "InitializationOptions.hpp"
#include "JsonRpc.hpp"

namespace OrvexConfigValidate::Lsp {

class Server {
  public:
    using Sender = std::function<void(const Outgoing&)>;

    Server(Sender send, std::string version, CheckSettings defaults = {});

    // One message body as it came off the wire.
    void handleBody(std::string_view body);
    // The same, taking the body and letting go of it once it is read.
    void takeBody(std::string body);
    // A fault of the framing; it is logged to the client.
    void handleFramingError(const std::string& problem);

    bool exitRequested() const { return exited; }
    // An open document's current text, or null.
    std::shared_ptr<const std::string> text(const std::string& uri) const {
        return workspace ? workspace->text(uri) : nullptr;
    }
    // 0 when "shutdown" came before "exit", 1 otherwise.
    int exitStatus() const { return state == State::ShutDown ? 0 : 1; }

  private:
    std::optional<nlohmann::json> parseBody(std::string_view body, std::string* owned = nullptr);
    void dispatch(nlohmann::json message);

    enum class State { Uninitialized, Running, ShutDown };

    std::optional<Outgoing> handleMessage(nlohmann::json message);
    Result handleRequest(const Incoming& request);
    void handleNotification(Incoming& notification);

    nlohmann::json initialize(const nlohmann::json& params);
    void didOpen(nlohmann::json& params);
    void didChange(nlohmann::json& params);
    // The text after the changes of a didChange; nothing when none changes it.
    std::optional<std::string> changedText(const std::string& uri, nlohmann::json& params);
    std::optional<TextEdit> rangedEdit(const std::string& uri, nlohmann::json& params);
    const TextPositions* positionsOf(const std::string& uri, const std::string& current);
    void didSave(const nlohmann::json& params);
    void didClose(const nlohmann::json& params);
    void didChangeWatchedFiles(const nlohmann::json& params);

    // The open document params.textDocument names, as last checked.
    Document openDocument(const nlohmann::json& params);
    void publish(const std::vector<Publication>& publications);
    // Asks the client to report changes of configuration files on disk.
    void registerWatcher();
    void log(int type, const std::string& message);
    // Tells the editor that what was asked was dropped for want of memory.
    void showOutOfMemory(const std::string& what);

    Sender send;
    std::string version;
    CheckSettings defaults;
    State state = State::Uninitialized;
    bool exited = false;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<Checker> checker;
    PositionsCache positions;
    // The client registers capabilities when asked (after "initialized").
    bool mayRegisterWatcher = false;
};

}  // namespace OrvexConfigValidate::Lsp
