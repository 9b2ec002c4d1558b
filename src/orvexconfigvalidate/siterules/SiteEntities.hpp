// The entities a site rule is about, found through the configuration
// model: each with its value, its pointer in its own document and the file
// (source) it belongs to.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/SiteRules.hpp>

#include "siterules/SiteRuleSet.hpp"

namespace OrvexConfigValidate {

struct SiteEntityRef {
    JsonView value;
    std::string pointer;
    int source = 0;       // 0 the server document, 1 the bridges document
    std::string_view id;  // the group's or bridge's id (a vortapoint: its group's)
};

// The documents of a deployment read as one configuration.
class SiteDeployment {
  public:
    explicit SiteDeployment(const SiteRuleInput& input);

    std::vector<SiteEntityRef> entities(SiteEntity kind) const;
    // Where the entities of a kind sit together ("/groups"), for an issue
    // about all of them; false when their document is absent.
    bool container(SiteEntity kind, SiteEntityRef& out) const;

  private:
    static Configuration model(const SiteRuleInput& input);

    const SiteRuleInput& input_;
    Configuration config_;
};

}  // namespace OrvexConfigValidate
