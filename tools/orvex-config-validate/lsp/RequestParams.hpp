// Reading the parameters of a request, and failing it with a JSON-RPC
// error when they cannot be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {

// Fails a request with a JSON-RPC error.
struct RequestError {
    int code;
    std::string message;
};

RequestError badParams(const std::string& message);

const nlohmann::json& member(const nlohmann::json& object, const char* name, const char* owner);
nlohmann::json& member(nlohmann::json& object, const char* name, const char* owner);
std::string stringMember(const nlohmann::json& object, const char* name, const char* owner);
// The same, moved out of the message: a document's text is its largest part.
std::string takeStringMember(nlohmann::json& object, const char* name, const char* owner);
std::size_t unsignedMember(const nlohmann::json& object, const char* name, const char* owner);
// params.textDocument.uri
std::string uriOf(const nlohmann::json& params);
// params.position
Position positionOf(const nlohmann::json& params);
// A {"line", "character"} object.
Position positionIn(const nlohmann::json& object, const char* owner);
// textDocument.version, 0 when absent.
std::int64_t versionOf(const nlohmann::json& textDocument);

// The local folders of initialize's workspaceFolders, else of its rootUri,
// else of its rootPath; what is not a local folder is passed over.
std::vector<std::string> workspaceFolders(const nlohmann::json& initializeParams);
// Whether the client registers workspace/didChangeWatchedFiles when asked.
bool watcherRegistrationOffered(const nlohmann::json& initializeParams);

}  // namespace OrvexConfigValidate::Lsp
