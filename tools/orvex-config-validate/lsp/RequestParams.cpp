#include "RequestParams.hpp"

#include "FileUri.hpp"

#include <utility>

#include "JsonRpc.hpp"

namespace OrvexConfigValidate::Lsp {

RequestError badParams(const std::string& message) {
    return {ErrorCode::kInvalidParams, message};
}

const nlohmann::json& member(const nlohmann::json& object, const char* name, const char* owner) {
    if (!object.is_object()) throw badParams(std::string(owner) + " must be an object");
    const auto found = object.find(name);
    if (found == object.end()) {
        throw badParams(std::string(owner) + " has no \"" + name + "\"");
    }
    return *found;
}

nlohmann::json& member(nlohmann::json& object, const char* name, const char* owner) {
    return const_cast<nlohmann::json&>(member(std::as_const(object), name, owner));
}

std::string stringMember(const nlohmann::json& object, const char* name, const char* owner) {
    const nlohmann::json& value = member(object, name, owner);
    if (!value.is_string()) throw badParams(std::string(owner) + "." + name + " must be a string");
    return value.get<std::string>();
}

std::string takeStringMember(nlohmann::json& object, const char* name, const char* owner) {
    nlohmann::json& value = member(object, name, owner);
    if (!value.is_string()) throw badParams(std::string(owner) + "." + name + " must be a string");
    return std::move(value.get_ref<std::string&>());
}

std::string uriOf(const nlohmann::json& params) {
    return stringMember(member(params, "textDocument", "params"), "uri", "textDocument");
}

std::size_t unsignedMember(const nlohmann::json& object, const char* name, const char* owner) {
    const nlohmann::json& value = member(object, name, owner);
    if (!value.is_number_unsigned() &&
        !(value.is_number_integer() && value.get<std::int64_t>() >= 0)) {
        throw badParams(std::string(owner) + "." + name + " must be a non-negative integer");
    }
    return value.get<std::size_t>();
}

Position positionIn(const nlohmann::json& object, const char* owner) {
    return {unsignedMember(object, "line", owner), unsignedMember(object, "character", owner)};
}

Position positionOf(const nlohmann::json& params) {
    return positionIn(member(params, "position", "params"), "position");
}

std::int64_t versionOf(const nlohmann::json& textDocument) {
    const auto version = textDocument.find("version");
    if (version == textDocument.end() || !version->is_number_integer()) return 0;
    return version->get<std::int64_t>();
}

std::vector<std::string> workspaceFolders(const nlohmann::json& params) {
    std::vector<std::string> folders;
    if (!params.is_object()) return folders;
    const auto add = [&folders](const nlohmann::json& uri) {
        if (!uri.is_string()) return;
        std::string path = pathFromUri(uri.get<std::string>());
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        if (!path.empty()) folders.push_back(std::move(path));
    };
    const auto listed = params.find("workspaceFolders");
    if (listed != params.end() && listed->is_array()) {
        for (const auto& folder : *listed) {
            if (folder.is_object() && folder.contains("uri")) add(folder["uri"]);
        }
    }
    if (!folders.empty()) return folders;
    if (params.contains("rootUri")) add(params["rootUri"]);
    if (folders.empty() && params.contains("rootPath") && params["rootPath"].is_string()) {
        add(nlohmann::json(uriFromPath(params["rootPath"].get<std::string>())));
    }
    return folders;
}

bool watcherRegistrationOffered(const nlohmann::json& params) {
    const nlohmann::json* at = &params;
    for (const char* name :
         {"capabilities", "workspace", "didChangeWatchedFiles", "dynamicRegistration"}) {
        if (!at->is_object() || !at->contains(name)) return false;
        at = &(*at)[name];
    }
    return at->is_boolean() && at->get<bool>();
}

}  // namespace OrvexConfigValidate::Lsp
