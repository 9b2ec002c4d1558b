#include "DocumentLinks.hpp"

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>

#include "Diagnostics.hpp"
#include "FileUri.hpp"

namespace OrvexConfigValidate::Lsp {

nlohmann::json documentLinks(const FeatureContext& context) {
    const Document& document = context.document;
    nlohmann::json out = nlohmann::json::array();
    if (document.schemaId != kServerSchemaId || document.path.empty()) return out;
    const ParsedText& parsed = document.parsed();
    if (!parsed.ok()) return out;
    const Configuration configuration(document.schemaId, parsed.document());
    const std::string pointer =
        configuration.serverPointer() + "/" + std::string(kBridgesFileMember);
    const nlohmann::json* name = valueAt(parsed.document(), pointer);
    if (name == nullptr || !name->is_string()) return out;
    const std::string target = bridgesFileFor(document.path, parsed.document()).path;
    if (target.empty()) return out;
    const TextLocation location = parsed.locate(pointer);
    // The link covers the name, not its quotes.
    const std::size_t begin = location.offset + 1;
    const std::size_t end = location.offset + location.length - 1;
    out.push_back({{"range", rangeBetween(begin, end, context.positions)},
                   {"target", uriFromPath(target)},
                   {"tooltip", "the bridges file this server reads"}});
    return out;
}

}  // namespace OrvexConfigValidate::Lsp
