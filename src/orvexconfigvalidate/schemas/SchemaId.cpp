#include "schemas/SchemaId.hpp"

namespace OrvexConfigValidate {
namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string normalizeSchemaId(const std::string& text) {
    std::string id = text;
    const auto hash = id.find('#');
    if (hash != std::string::npos) id.erase(hash);
    const auto query = id.find('?');
    if (query != std::string::npos) id.erase(query);
    while (!id.empty() &&
           (id.back() == ' ' || id.back() == '\t' || id.back() == '\r' || id.back() == '\n')) {
        id.pop_back();
    }
    const auto slash = id.find_last_of("/\\");
    if (slash != std::string::npos) id.erase(0, slash + 1);
    static const std::string kSchemaSuffix = ".schema.json";
    static const std::string kJsonSuffix = ".json";
    if (endsWith(id, kSchemaSuffix)) {
        id.erase(id.size() - kSchemaSuffix.size());
    } else if (endsWith(id, kJsonSuffix)) {
        id.erase(id.size() - kJsonSuffix.size());
    }
    return id;
}

}  // namespace OrvexConfigValidate
