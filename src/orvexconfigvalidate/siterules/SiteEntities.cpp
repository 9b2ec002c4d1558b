#include "siterules/SiteEntities.hpp"

#include <orvexconfigvalidate/Pointer.hpp>

namespace OrvexConfigValidate {
namespace {

constexpr int kServerSource = 0;
constexpr int kBridgesSource = 1;

std::string parentOf(const std::string& pointer) {
    const std::size_t slash = pointer.rfind('/');
    return slash == std::string::npos ? std::string() : pointer.substr(0, slash);
}

}  // namespace

SiteDeployment::SiteDeployment(const SiteRuleInput& input) : input_(input), config_(model(input)) {}

Configuration SiteDeployment::model(const SiteRuleInput& input) {
    if (input.server.exists() && input.bridges.exists())
        return Configuration::ofPair(input.server, input.bridges);
    if (input.bridges.exists()) return Configuration(kBridgesSchemaId, input.bridges);
    return Configuration(kServerSchemaId, input.server);
}

std::vector<SiteEntityRef> SiteDeployment::entities(SiteEntity kind) const {
    std::vector<SiteEntityRef> out;
    switch (kind) {
        case SiteEntity::Server:
            if (input_.server.exists()) out.push_back({input_.server, "", kServerSource, {}});
            break;
        case SiteEntity::Group:
            for (const ConfigGroup& group : config_.groups())
                out.push_back(
                    {group.value, config_.groupPointer(group.index), kBridgesSource, group.id});
            break;
        case SiteEntity::Bridge:
            for (const ConfigBridge& bridge : config_.bridges())
                out.push_back(
                    {bridge.value, config_.bridgePointer(bridge.index), kBridgesSource, bridge.id});
            break;
        case SiteEntity::Vortapoint:
            for (const ConfigGroup& group : config_.groups()) {
                std::size_t position = 0;
                const std::string base = config_.groupPointer(group.index) + "/vortapoints";
                for (const JsonView point : group.value.member("vortapoints").elements()) {
                    std::string pointer = base;
                    appendPointerToken(pointer, std::to_string(position++));
                    if (point.isObject())
                        out.push_back({point, std::move(pointer), kBridgesSource, group.id});
                }
            }
            break;
    }
    return out;
}

bool SiteDeployment::container(SiteEntity kind, SiteEntityRef& out) const {
    if (kind == SiteEntity::Server) {
        out = {input_.server, "", kServerSource, {}};
        return input_.server.exists();
    }
    if (!input_.bridges.exists()) return false;
    const std::string pointer = kind == SiteEntity::Bridge ? parentOf(config_.bridgePointer(0))
                                                           : parentOf(config_.groupPointer(0));
    out = {valueAt(input_.bridges, pointer), pointer, kBridgesSource, {}};
    return true;
}

}  // namespace OrvexConfigValidate
