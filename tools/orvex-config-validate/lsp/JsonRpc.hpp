// JSON-RPC 2.0 message shapes as the language server receives and sends them.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// A JSON value, or the JSON text of one written directly: a large answer
// costs more to build as values than to send. Serves both as a request's
// result and as a whole message to send.
// NOLINTNEXTLINE(bugprone-exception-escape): only json's own noexcept destructor can throw
struct JsonPayload {
    // Most payloads are values.
    // NOLINTNEXTLINE(google-explicit-constructor,hicpp-explicit-conversions)
    JsonPayload(nlohmann::json json) : value(std::move(json)) {}
    static JsonPayload encoded(std::string text);

    nlohmann::json value;             // null when encoded
    std::optional<std::string> text;  // the JSON text, when encoded
    // The text to send.
    std::string serialised() const;
    // The value, or the text read back (for tests).
    nlohmann::json parsed() const;
};

// A request's result.
using Result = JsonPayload;
// A message to send.
using Outgoing = JsonPayload;

nlohmann::json makeResult(const nlohmann::json& id, nlohmann::json result);
// The answer to request id: a value, or text when the result is encoded.
Outgoing makeAnswer(const nlohmann::json& id, Result result);
// The answers of a batch as one message.
Outgoing makeBatch(std::vector<Outgoing> answers);
nlohmann::json makeError(const nlohmann::json& id, int code, const std::string& message);
nlohmann::json makeNotification(const std::string& method, nlohmann::json params);
// A request of the server to the client.
nlohmann::json makeRequest(const nlohmann::json& id, const std::string& method,
                           nlohmann::json params);

// Text of an outgoing message; invalid UTF-8 in strings is replaced rather
// than thrown on.
std::string serialise(const nlohmann::json& message);

}  // namespace OrvexConfigValidate::Lsp
