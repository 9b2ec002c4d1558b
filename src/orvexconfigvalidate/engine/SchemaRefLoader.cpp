#include "engine/SchemaRefLoader.hpp"

#include <stdexcept>

#include "schemas/SchemaEngine.hpp"

namespace OrvexConfigValidate {

SchemaLoader schemaRefLoader(const SchemaEngine& engine) {
    const SchemaEngine* bound = &engine;
    return [bound](const std::string& referenceText, nlohmann::json& out) {
        if (bound->resolveRef(referenceText, out)) return;
        throw std::invalid_argument("cannot resolve schema $ref: " + referenceText);
    };
}

}  // namespace OrvexConfigValidate
