#include "RequestParams.hpp"

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

}  // namespace OrvexConfigValidate::Lsp
