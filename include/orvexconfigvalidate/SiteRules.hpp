// Site rules: an operator's own rules, kept in the "rules" member of the
// project file (Project.hpp) and run after the built-in rules. The project
// reader hands that member to readSiteRules(); each checked deployment is
// then given to applySiteRules(), whose issues are graded and accepted like
// the built-in ones.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <orvexconfigvalidate/JsonView.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// The rules read from one project file, ready to run; defined where they
// are read, so that a project holds them without knowing their parts.
struct SiteRuleSet;

// What one check gives the rules: the documents of a deployment (either may
// be absent: a lone file) and their names relative to the project file's
// folder, which profiles match their path patterns against.
struct SiteRuleInput {
    JsonView server;
    JsonView bridges;
    std::string serverFile;
    std::string bridgesFile;
};

// Reads the "rules" member of a project document (absent: no rules). What
// is wrong with a rule is appended to `issues` as issues of the project file:
// `pointer` into the project document (e.g. "/rules/2/then"), source 0; the
// reader places them. Null when there are no rules to run.
std::shared_ptr<const SiteRuleSet> readSiteRules(JsonView rules, std::vector<Issue>& issues);

// Runs the rules on one deployment and appends their issues to `result`
// (codes "site_..."; source 0 for the server document, 1 for the bridges
// document; pointers into that document).
void applySiteRules(const SiteRuleSet& rules, const SiteRuleInput& input, ValidationResult& result);

}  // namespace OrvexConfigValidate
