// JSON-RPC 2.0 message shapes as the language server receives and sends them.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate::Lsp {

namespace ErrorCode {
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;
// A request understood but refused (a rename to an id in use).
constexpr int kRequestFailed = -32803;
}  // namespace ErrorCode

// One incoming message, sorted by what it asks of the server.
// NOLINTNEXTLINE(bugprone-exception-escape): only json's own noexcept destructor can throw
struct Incoming {
    enum class Kind { Request, Notification, Response, Invalid };
    Kind kind = Kind::Invalid;
    nlohmann::json id;  // requests and responses; null when it cannot be read
    std::string method;
    nlohmann::json params;  // null when absent
    std::string problem;    // why it is Invalid
};

// Takes the message: a large text in its params is moved, not copied.
Incoming classify(nlohmann::json message);

nlohmann::json makeResult(const nlohmann::json& id, nlohmann::json result);
nlohmann::json makeError(const nlohmann::json& id, int code, const std::string& message);
nlohmann::json makeNotification(const std::string& method, nlohmann::json params);

// Text of an outgoing message; invalid UTF-8 in strings is replaced rather
// than thrown on.
std::string serialise(const nlohmann::json& message);

}  // namespace OrvexConfigValidate::Lsp
