#include "JsonRpc.hpp"

#include <orvexconfigvalidate/JsonWriter.hpp>

namespace OrvexConfigValidate::Lsp {

namespace {

bool isValidId(const nlohmann::json& id) {
    return id.is_string() || id.is_number_integer() || id.is_null();
}

Incoming invalid(nlohmann::json id, std::string problem) {
    Incoming incoming;
    incoming.id = std::move(id);
    incoming.problem = std::move(problem);
    return incoming;
}

}  // namespace

Incoming classify(nlohmann::json message) {
    if (!message.is_object()) return invalid(nullptr, "a message must be a JSON object");
    const auto idMember = message.find("id");
    const bool hasId = idMember != message.end();
    nlohmann::json id = hasId && isValidId(*idMember) ? *idMember : nlohmann::json();
    if (hasId && !isValidId(*idMember)) {
        return invalid(nullptr, "\"id\" must be a string, an integer or null");
    }
    const auto version = message.find("jsonrpc");
    if (version == message.end() || *version != "2.0") {
        return invalid(id, "\"jsonrpc\" must be \"2.0\"");
    }
    const auto method = message.find("method");
    if (method == message.end()) {
        if (hasId && (message.contains("result") || message.contains("error"))) {
            Incoming response;
            response.kind = Incoming::Kind::Response;
            response.id = id;
            return response;
        }
        return invalid(id, "a message needs a \"method\"");
    }
    if (!method->is_string()) return invalid(id, "\"method\" must be a string");
    Incoming incoming;
    incoming.kind = hasId ? Incoming::Kind::Request : Incoming::Kind::Notification;
    incoming.id = id;
    incoming.method = method->get<std::string>();
    const auto params = message.find("params");
    // Some clients write "params": null for a method that takes none.
    if (params != message.end() && !params->is_null()) {
        if (!params->is_object() && !params->is_array()) {
            return invalid(id, "\"params\" must be an object or an array");
        }
        incoming.params = std::move(*params);
    }
    return incoming;
}

nlohmann::json makeResult(const nlohmann::json& id, nlohmann::json result) {
    return {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

nlohmann::json makeError(const nlohmann::json& id, int code, const std::string& message) {
    return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

nlohmann::json makeNotification(const std::string& method, nlohmann::json params) {
    return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

nlohmann::json makeRequest(const nlohmann::json& id, const std::string& method,
                           nlohmann::json params) {
    return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}

std::string serialise(const nlohmann::json& message) {
    return jsonText(message);
}

JsonPayload JsonPayload::encoded(std::string encodedText) {
    JsonPayload payload(nullptr);
    payload.text = std::move(encodedText);
    return payload;
}

std::string JsonPayload::serialised() const {
    return text ? *text : serialise(value);
}

nlohmann::json JsonPayload::parsed() const {
    return text ? nlohmann::json::parse(*text) : value;
}

Outgoing makeAnswer(const nlohmann::json& id, Result result) {
    if (!result.text) return makeResult(id, std::move(result.value));
    // The members in the order a value's dump gives them. Put around the
    // result in place: a result of megabytes is not copied.
    std::string message = std::move(*result.text);
    message.insert(0, "{\"id\":" + serialise(id) + ",\"jsonrpc\":\"2.0\",\"result\":");
    message += '}';
    return Outgoing::encoded(std::move(message));
}

Outgoing makeBatch(std::vector<Outgoing> answers) {
    bool allValues = true;
    for (const Outgoing& answer : answers) allValues = allValues && !answer.text;
    if (allValues) {
        nlohmann::json batch = nlohmann::json::array();
        for (Outgoing& answer : answers) batch.push_back(std::move(answer.value));
        return batch;
    }
    std::string batch = "[";
    for (const Outgoing& answer : answers) {
        if (batch.size() > 1) batch += ',';
        batch += answer.serialised();
    }
    batch += ']';
    return Outgoing::encoded(std::move(batch));
}

}  // namespace OrvexConfigValidate::Lsp
