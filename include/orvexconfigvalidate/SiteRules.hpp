// Site rules: an operator's own rules, kept in the "rules" member of the
// project file (Project.hpp) and run after the built-in rules. The project
// reader hands that member to readSiteRules(); each checked deployment is
// then given to applySiteRules(), whose issues are graded and accepted like
// the built-in ones.
//
// A rule names a code ("site_..."), a severity, a description, the entity
// it is about ("given": the server, a group, a bridge, a vortapoint), an
// optional "when" and a "then" (draft-07 schemas run by the library's own
// engine, each compiled once), and the aggregates "unique" (by a pointer
// into each entity), "count" and "sum" over the entities "when" selects.
// "profiles" limit a rule to the deployments whose files match a profile's
// path patterns.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/JsonView.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// The rules read from one project file, ready to run; defined where they
// are read, so that a project holds them without knowing their parts.
struct SiteRuleSet;

// The project file's members that hold the rules and their profiles.
inline constexpr char kSiteRulesMember[] = "rules";
inline constexpr char kSiteProfilesMember[] = "profiles";
// Every site rule's code starts with this.
inline constexpr char kSiteCodePrefix[] = "site_";
// A rule of the project file that cannot be run, at its place there.
inline constexpr char kInvalidSiteRuleCode[] = "invalid_site_rule";
// More rules than this are not read: each rule runs over every entity, so
// their number bounds the work per value of a checked document.
inline constexpr std::size_t kMaxSiteRules = 256;

// What one check gives the rules: the documents of a deployment (either may
// be absent: a lone file) and their names relative to the project file's
// folder, which profiles match their path patterns against.
struct SiteRuleInput {
    JsonView server;
    JsonView bridges;
    std::string serverFile;
    std::string bridgesFile;
    // The texts the documents were parsed from, where known: the issues
    // then get their place and, where a rule pins one value, a fix.
    const ParsedText* serverText = nullptr;
    const ParsedText* bridgesText = nullptr;
};

// Reads the "rules" member of a project document (absent: no rules). What
// is wrong with a rule is appended to `issues` as issues of the project file:
// `pointer` into the project document (e.g. "/rules/2/then"), source 0; the
// reader places them. Null when there are no rules to run. `profiles` is the
// project's "profiles" member: names, each with an array of path patterns
// ("*" within one name, "?" one character, "**" across folders).
std::shared_ptr<const SiteRuleSet> readSiteRules(JsonView rules, std::vector<Issue>& issues);
std::shared_ptr<const SiteRuleSet> readSiteRules(JsonView rules, JsonView profiles,
                                                 std::vector<Issue>& issues);

// Runs the rules on one deployment and appends their issues to `result`
// (codes "site_..."; source 0 for the server document, 1 for the bridges
// document; pointers into that document). The work is bounded by the size
// of the documents (the number of rules being bounded): past it the run
// stops with one "schema_engine" error.
void applySiteRules(const SiteRuleSet& rules, const SiteRuleInput& input, ValidationResult& result);

// One check of the tool, as its project's site rules see it: the parsed
// documents (either may be absent), the files as the report names them,
// and the source each document's issues take in the check's result (-1:
// not reported, as for a server file that only lends its mode to a bridges
// file checked under it).
struct SiteCheck {
    const ParsedText* server = nullptr;
    const ParsedText* bridges = nullptr;
    std::string serverFile;
    std::string bridgesFile;
    int serverSource = 0;
    int bridgesSource = 1;
};

class ProjectRun;
// Runs the site rules of the project of the check's first file, if it has
// any, and appends their issues, placed, to the result: before the project
// judges it, so that they are accepted and re-graded like the others.
void addSiteIssues(ProjectRun& projects, const SiteCheck& check, ValidationResult& result);

// The codes of the rules, in their order, and a rule's description ("" for
// a code that is none of them): what --explain and the editor say of it.
std::vector<std::string> siteRuleCodes(const SiteRuleSet& rules);
std::string siteRuleDescription(const SiteRuleSet& rules, std::string_view code);
// A rule as --explain tells a built-in code (its views live as long as the
// rules); null for a code that is none of them.
const IssueCodeInfo* describeSiteRule(const SiteRuleSet& rules, std::string_view code);

}  // namespace OrvexConfigValidate
