#include "PathMapping.hpp"

#include <algorithm>

namespace OrvexConfigValidate::Tool {

namespace {

const std::string kBridgesPrefix = "/bridges/";
const std::string kIdOpen = " (id=";

bool isDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The id that the rules wrote for element index of the named array.
std::string elementId(const nlohmann::json& bridging, const std::string& array,
                      const std::string& index) {
    if (!bridging.is_object() || !bridging.contains(array) || !bridging[array].is_array()) {
        return "";
    }
    const auto& elements = bridging[array];
    const std::size_t position = std::stoull(index);
    if (position >= elements.size()) return "";
    const auto& element = elements[position];
    if (!element.is_object() || !element.contains("id") || !element["id"].is_string()) return "";
    return element["id"].get<std::string>();
}

// Removes the leading " (id=...)" part of what follows an element index.
// The document says which id the rules wrote, so an id holding ")" or
// " (id=" is stripped exactly. Without a matching element, the structure of
// the two path forms decides: a group path ends with the id part, a bridge
// path ends with it or continues with "/groups/J".
std::string stripIdPart(const std::string& rest, const std::string& array,
                        const std::string& expectedId) {
    if (!startsWith(rest, kIdOpen)) return rest;
    const std::string exact = kIdOpen + expectedId + ")";
    if (!expectedId.empty() && startsWith(rest, exact) &&
        (rest.size() == exact.size() || rest[exact.size()] == '/')) {
        return rest.substr(exact.size());
    }
    if (!rest.empty() && rest.back() == ')') return "";
    if (array == "bridges") {
        const std::string groups = ")/groups/";
        const std::size_t at = rest.rfind(groups);
        if (at != std::string::npos && isDigits(rest.substr(at + groups.size()))) {
            return rest.substr(at + 1);
        }
    }
    return rest;
}

std::vector<std::string> dropPrefix(const std::vector<std::string>& tokens,
                                    const std::vector<std::string>& prefix) {
    if (tokens.size() < prefix.size() ||
        !std::equal(prefix.begin(), prefix.end(), tokens.begin())) {
        return {};
    }
    return {tokens.begin() + static_cast<std::ptrdiff_t>(prefix.size()), tokens.end()};
}

// The bridges document the semantic rules saw for this kind of validation.
nlohmann::json bridgingDocument(const std::string& schemaId,
                                const std::vector<const nlohmann::json*>& documents) {
    if (documents.empty()) return nullptr;
    const nlohmann::json& first = *documents.front();
    if (schemaId == "Obs") {
        if (documents.size() > 1) return *documents[1];
        return first.is_object() && first.contains("bridges") ? first["bridges"] : nullptr;
    }
    if (schemaId == "BridgingConfiguration") return first;
    if (schemaId == "Group") return {{"groups", nlohmann::json::array({first})}};
    return nullptr;
}

}  // namespace

std::vector<std::string> splitPointer(const std::string& pointer) {
    std::vector<std::string> tokens;
    if (pointer.empty() || pointer == "/") return tokens;
    std::size_t start = pointer[0] == '/' ? 1 : 0;
    while (true) {
        const std::size_t slash = pointer.find('/', start);
        std::string token = pointer.substr(start, slash - start);
        std::string unescaped;
        for (std::size_t i = 0; i < token.size(); ++i) {
            if (token[i] == '~' && i + 1 < token.size() &&
                (token[i + 1] == '0' || token[i + 1] == '1')) {
                unescaped += token[++i] == '0' ? '~' : '/';
            } else {
                unescaped += token[i];
            }
        }
        tokens.push_back(unescaped);
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return tokens;
}

std::string joinPointer(const std::vector<std::string>& tokens) {
    if (tokens.empty()) return "/";
    nlohmann::json::json_pointer pointer;
    for (const auto& token : tokens) pointer /= token;  // escaped by to_string
    return pointer.to_string();
}

bool isPointerPathCode(const std::string& code) {
    return code == "schema" || code == "schema_engine" || code == "unknown_schema" ||
           code == "invalid_parameters";
}

std::vector<std::string> semanticPathTokens(const std::string& path,
                                            const nlohmann::json& bridging) {
    if (!startsWith(path, kBridgesPrefix)) return splitPointer(path);
    const std::string afterPrefix = path.substr(kBridgesPrefix.size());
    std::string array;
    for (const char* name : {"groups", "bridges"}) {
        if (startsWith(afterPrefix, std::string(name) + "/")) array = name;
    }
    if (array.empty()) return splitPointer(path);
    const std::string afterArray = afterPrefix.substr(array.size() + 1);
    const std::size_t digitsEnd = afterArray.find_first_not_of("0123456789");
    const std::string index = afterArray.substr(0, digitsEnd);
    if (index.empty() || index.size() > 19) return splitPointer(path);
    const std::string rest = digitsEnd == std::string::npos ? "" : afterArray.substr(digitsEnd);

    std::vector<std::string> tokens = {"bridges", array, index};
    const std::string tail = stripIdPart(rest, array, elementId(bridging, array, index));
    if (!tail.empty() && tail[0] == '/') {
        for (auto& token : splitPointer(tail)) tokens.push_back(token);
    }
    return tokens;
}

FileLocation mapIssuePath(const Issue& issue, const std::string& schemaId,
                          const std::vector<const nlohmann::json*>& documents) {
    std::vector<std::string> tokens;
    if (isPointerPathCode(issue.code) || !startsWith(issue.path, kBridgesPrefix)) {
        tokens = splitPointer(issue.path);
    } else {
        const auto composite =
            semanticPathTokens(issue.path, bridgingDocument(schemaId, documents));
        if (schemaId == "Obs") {
            tokens = composite;
        } else if (schemaId == "BridgingConfiguration") {
            tokens = dropPrefix(composite, {"bridges"});
        } else if (schemaId == "Group") {
            tokens = dropPrefix(composite, {"bridges", "groups", "0"});
        }
    }
    if (documents.size() < 2) return {0, tokens};
    if (!tokens.empty() && tokens[0] == "bridges") return {1, dropPrefix(tokens, {"bridges"})};
    if (!tokens.empty() && tokens[0] == "server") return {0, dropPrefix(tokens, {"server"})};
    return {0, {}};
}

}  // namespace OrvexConfigValidate::Tool
