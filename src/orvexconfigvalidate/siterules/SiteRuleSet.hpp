// The site rules as read from a project document: each schema compiled
// once, the aggregates' bounds, the profiles a rule is limited to.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/SiteRules.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include "engine/CompiledSchema.hpp"

namespace OrvexConfigValidate {

// What a rule is about: one kind of entity of the configuration model.
enum class SiteEntity { Server, Group, Bridge, Vortapoint };

// Inclusive bounds; absent means unbounded on that side.
struct SiteBounds {
    std::optional<double> minimum;
    std::optional<double> maximum;
};

struct SiteSchema {
    std::shared_ptr<const nlohmann::json> document;
    std::shared_ptr<const CompiledSchema> compiled;
};

struct SiteRule {
    std::string code;
    Severity severity = Severity::Error;
    std::string description;
    SiteEntity given = SiteEntity::Group;
    std::optional<SiteSchema> when;
    std::optional<SiteSchema> then;
    std::optional<std::string> unique;  // pointer into each entity
    std::optional<SiteBounds> count;
    std::optional<std::string> sumOf;  // pointer into each entity
    SiteBounds sum;
    std::vector<std::size_t> profiles;  // into SiteRuleSet::profiles; none: every deployment
    // What --explain says, its views into the texts below.
    std::string explanation;
    IssueCodeInfo info;
};

struct SiteProfile {
    std::string name;
    std::vector<std::string> patterns;
};

struct SiteRuleSet {
    std::vector<SiteRule> rules;
    std::vector<SiteProfile> profiles;
};

// The entity kinds by the names rules give them ("server", "group",
// "bridge", "vortapoint").
std::optional<SiteEntity> siteEntityNamed(std::string_view name);
std::string_view siteEntityName(SiteEntity entity);

// Whether a path ("prod/north/orvexbridged_conf.json") matches a pattern:
// "*" any run of characters but "/", "?" one such character, "**" any run
// at all (with the "/" after it: any folders, none included). Time and
// memory are the product of the two lengths at most, both of them bounded
// by the reader.
bool sitePathMatches(std::string_view pattern, std::string_view path);

// The one value a "then" schema pins at a place under the entity (tokens
// of a pointer relative to it), through "properties" and "items": its
// "const", or the one member of its "enum"; nothing otherwise.
std::optional<nlohmann::json> pinnedValue(const nlohmann::json& schema,
                                          const std::vector<std::string>& tokens);

}  // namespace OrvexConfigValidate
