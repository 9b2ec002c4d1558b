#include "json/PointerText.hpp"

namespace OrvexConfigValidate {

namespace {

void appendEscapedToken(std::string& out, std::string_view token) {
    for (const char c : token) {
        if (c == '~') {
            out += "~0";
        } else if (c == '/') {
            out += "~1";
        } else {
            out += c;
        }
    }
}

}  // namespace

std::string escapePointerToken(std::string_view token) {
    std::string out;
    out.reserve(token.size());
    appendEscapedToken(out, token);
    return out;
}

void appendPointerToken(std::string& pointer, std::string_view token) {
    pointer += '/';
    appendEscapedToken(pointer, token);
}

std::optional<std::vector<std::string>> splitPointer(std::string_view pointer) {
    std::vector<std::string> tokens;
    if (pointer.empty()) return tokens;
    if (pointer[0] != '/') return std::nullopt;
    std::string token;
    for (std::size_t i = 1; i <= pointer.size(); ++i) {
        if (i == pointer.size() || pointer[i] == '/') {
            tokens.push_back(std::move(token));
            token.clear();
        } else if (pointer[i] == '~') {
            if (i + 1 == pointer.size() || (pointer[i + 1] != '0' && pointer[i + 1] != '1')) {
                return std::nullopt;
            }
            token += pointer[++i] == '0' ? '~' : '/';
        } else {
            token += pointer[i];
        }
    }
    return tokens;
}

std::optional<std::size_t> arrayIndexOf(std::string_view token) {
    if (token.empty() || token.size() > 18 || (token.size() > 1 && token[0] == '0')) {
        return std::nullopt;
    }
    std::size_t value = 0;
    for (const char c : token) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return value;
}

const nlohmann::json* valueAt(const nlohmann::json& document, std::string_view pointer) {
    const auto tokens = splitPointer(pointer);
    if (!tokens) return nullptr;
    const nlohmann::json* value = &document;
    for (const std::string& token : *tokens) {
        if (value->is_object()) {
            const auto found = value->find(token);
            if (found == value->end()) return nullptr;
            value = &*found;
        } else if (const auto index = arrayIndexOf(token);
                   value->is_array() && index && *index < value->size()) {
            value = &(*value)[*index];
        } else {
            return nullptr;
        }
    }
    return value;
}

JsonView valueAt(JsonView document, std::string_view pointer) {
    const auto tokens = splitPointer(pointer);
    if (!tokens) return JsonView();
    JsonView value = document;
    for (const std::string& token : *tokens) {
        if (value.isObject()) {
            value = value.member(token);
        } else if (const auto index = arrayIndexOf(token); value.isArray() && index) {
            value = value.element(*index);
        } else {
            return JsonView();
        }
        if (!value) return value;
    }
    return value;
}

}  // namespace OrvexConfigValidate
