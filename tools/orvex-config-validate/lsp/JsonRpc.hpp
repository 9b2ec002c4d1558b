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

// A request's result: a JSON value, or the JSON text of one that its feature
// wrote directly (a large answer costs more to build as values than to send).
// NOLINTNEXTLINE(bugprone-exception-escape): only json's own noexcept destructor can throw
struct Result {
    // Most results are values.
    // NOLINTNEXTLINE(google-explicit-constructor,hicpp-explicit-conversions)
    Result(nlohmann::json result) : value(std::move(result)) {}
    static Result encoded(std::string text);

    nlohmann::json value;             // null when encoded
    std::optional<std::string> text;  // the result's JSON text, when encoded
    // The value, or the text read back (for tests).
    nlohmann::json parsed() const;
};

// A message to send, held as a value or as text already encoded.
// NOLINTNEXTLINE(bugprone-exception-escape): only json's own noexcept destructor can throw
struct Outgoing {
    // NOLINTNEXTLINE(google-explicit-constructor,hicpp-explicit-conversions)
    Outgoing(nlohmann::json message) : value(std::move(message)) {}
    static Outgoing encoded(std::string text);

    nlohmann::json value;             // null when encoded
    std::optional<std::string> text;  // the message's JSON text, when encoded
    // The text to send.
    std::string serialised() const;
    // The value, or the text read back (for tests).
    nlohmann::json parsed() const;
};

nlohmann::json makeResult(const nlohmann::json& id, nlohmann::json result);
// The answer to request id: a value, or text when the result is encoded.
Outgoing makeAnswer(const nlohmann::json& id, Result result);
// The answers of a batch as one message.
Outgoing makeBatch(std::vector<Outgoing> answers);
nlohmann::json makeError(const nlohmann::json& id, int code, const std::string& message);
nlohmann::json makeNotification(const std::string& method, nlohmann::json params);

// Text of an outgoing message; invalid UTF-8 in strings is replaced rather
// than thrown on.
std::string serialise(const nlohmann::json& message);

}  // namespace OrvexConfigValidate::Lsp
