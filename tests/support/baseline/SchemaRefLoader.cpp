#include "baseline/SchemaRefLoader.hpp"

#include <stdexcept>

#include "baseline/SchemaEngine.hpp"

namespace OrvexConfigValidate::baseline {

SchemaLoader schemaRefLoader(const SchemaEngine& engine) {
    const SchemaEngine* bound = &engine;
    return [bound](const std::string& referenceText, nlohmann::json& out) {
        if (bound->resolveRef(referenceText, out)) return;
        throw std::invalid_argument("cannot resolve schema $ref: " + referenceText);
    };
}

}  // namespace OrvexConfigValidate::baseline
