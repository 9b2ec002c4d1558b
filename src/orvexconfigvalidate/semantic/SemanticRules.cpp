#include "semantic/SemanticRules.hpp"

#include <cstdint>

#include "semantic/BridgeRules.hpp"
#include "semantic/ConfigEnums.hpp"
#include "semantic/GroupRules.hpp"
#include "semantic/MemberReaders.hpp"

namespace OrvexConfigValidate {

namespace {

void runPass(std::int32_t mode, const nlohmann::json& bridgingDocument, ValidationResult& result,
             const RuleContext& context) {
    // Without a "groups" array there is nothing to resolve bridges against,
    // so the bridges are not looked at either.
    const nlohmann::json* groups = findMember(bridgingDocument, "groups");
    if (groups == nullptr || !groups->is_array()) {
        return;
    }
    const GroupIdIndex groupIds = checkGroups(mode, GroupSpan::ofArray(*groups), result, context);
    checkBridges(bridgingDocument, groupIds, result, context);
}

void checkObs(const nlohmann::json& document, ValidationResult& result, bool strict) {
    if (!document.is_object()) {
        return;
    }
    const nlohmann::json* bridges = findMember(document, "bridges");
    if (bridges == nullptr) {
        return;  // an empty bridging document draws nothing
    }
    const nlohmann::json* server = findMember(document, "server");
    const std::int32_t mode = server == nullptr ? omRaw : getIntOr(*server, "mode", omRaw);
    RuleContext context;
    context.groupsPointer = "/bridges/groups";
    context.bridgesPointer = "/bridges/bridges";
    context.strict = strict;
    runPass(mode, *bridges, result, context);
}

}  // namespace

void checkBridgingDocument(const nlohmann::json& serverSettings,
                           const nlohmann::json& bridgingDocument, ValidationResult& result) {
    runPass(getIntOr(serverSettings, "mode", omRaw), bridgingDocument, result, RuleContext{});
}

void applySemanticRules(const std::string& schemaId, const nlohmann::json& document,
                        ValidationResult& result, const ValidateOptions& options) {
    RuleContext context;
    context.strict = options.strict;
    if (schemaId == "Obs") {
        checkObs(document, result, options.strict);
    } else if (schemaId == "BridgingConfiguration") {
        // A bridges file alone is judged as the server's group-dictated mode
        // would see it; its own "mode" member means nothing here.
        runPass(omADictatedByGroup, document, result, context);
    } else if (schemaId == "Group") {
        // A lone group is element 0 of a bridging document without bridges;
        // its issues point at the document itself.
        context.singleGroup = true;
        checkGroups(omADictatedByGroup, GroupSpan::ofSingle(document), result, context);
    }
}

}  // namespace OrvexConfigValidate
