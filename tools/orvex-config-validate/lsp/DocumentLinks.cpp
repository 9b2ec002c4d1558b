#include "DocumentLinks.hpp"

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>
#include <orvexconfigvalidate/Pointer.hpp>

namespace OrvexConfigValidate::Lsp {

std::optional<BridgesFileLink> bridgesFileLink(const Document& document) {
    if (document.schemaId() != kServerSchemaId || document.path.empty()) return std::nullopt;
    const Configuration* configuration = document.configuration();
    if (configuration == nullptr) return std::nullopt;
    const ParsedText& parsed = document.parsed();
    const std::string pointer =
        configuration->serverPointer() + "/" + std::string(kBridgesFileMember);
    const JsonView name = valueAt(parsed.root(), pointer);
    if (!name.isString()) return std::nullopt;
    std::string target = bridgesFileFor(document.path, parsed.root()).path;
    if (target.empty()) return std::nullopt;
    const TextLocation location = parsed.locate(pointer);
    return BridgesFileLink{location.offset + 1, location.offset + location.length - 1,
                           std::move(target)};
}

}  // namespace OrvexConfigValidate::Lsp
