// Reading the site rules of a project document: a rule the document gets
// wrong is reported at its place and left out, never guessed at.
#include <string>
#include <unordered_set>
#include <utility>

#include <orvexconfigvalidate/Pointer.hpp>

#include "json/PointerText.hpp"
#include "siterules/SiteRuleSet.hpp"

namespace OrvexConfigValidate {
namespace {

constexpr std::size_t kMaxPatternLength = 1000;
constexpr std::size_t kMaxPatterns = 256;

bool isCodeCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool isSiteCode(std::string_view code) {
    const std::string_view prefix = kSiteCodePrefix;
    if (code.size() <= prefix.size() || code.size() > 100 ||
        code.substr(0, prefix.size()) != prefix)
        return false;
    for (const char c : code)
        if (!isCodeCharacter(c)) return false;
    return true;
}

std::optional<Severity> severityNamed(std::string_view name) {
    if (name == "error") return Severity::Error;
    if (name == "warning") return Severity::Warning;
    if (name == "note") return Severity::Info;
    return std::nullopt;
}

std::string at(const std::string& base, std::string_view token) {
    std::string pointer = base;
    appendPointerToken(pointer, token);
    return pointer;
}

class RuleReader {
  public:
    RuleReader(SiteRuleSet& impl, std::vector<Issue>& problems)
        : impl_(impl), problems_(problems) {}

    void readProfiles(JsonView profiles, const std::string& pointer) {
        if (!profiles.exists()) return;
        if (!profiles.isObject()) return problem(pointer, "\"profiles\" must be an object");
        for (const auto& member : profiles.members()) {
            const std::string place = at(pointer, member.name());
            SiteProfile profile{std::string(member.name()), {}};
            if (!readPatterns(member.value(), place, profile.patterns)) continue;
            impl_.profiles.push_back(std::move(profile));
        }
    }

    void readRules(JsonView rules, const std::string& pointer) {
        if (!rules.exists()) return;
        if (!rules.isArray()) return problem(pointer, "\"rules\" must be an array");
        if (rules.size() > kMaxSiteRules)
            problem(pointer, "more than " + std::to_string(kMaxSiteRules) +
                                 " site rules: the rest are not read");
        std::size_t index = 0;
        for (const JsonView rule : rules.elements()) {
            if (index == kMaxSiteRules) break;
            readRule(rule, at(pointer, std::to_string(index++)));
        }
    }

  private:
    void problem(const std::string& pointer, std::string message) {
        Issue issue;
        issue.severity = Severity::Error;
        issue.code = kInvalidSiteRuleCode;
        issue.pointer = pointer;
        issue.path = pointer.empty() ? "/" : pointer;
        issue.message = std::move(message);
        problems_.push_back(std::move(issue));
    }

    bool readPatterns(JsonView patterns, const std::string& place, std::vector<std::string>& out) {
        if (!patterns.isArray() || patterns.size() == 0 || patterns.size() > kMaxPatterns) {
            problem(place, "a profile is a non-empty array of at most " +
                               std::to_string(kMaxPatterns) + " path patterns");
            return false;
        }
        std::size_t index = 0;
        for (const JsonView pattern : patterns.elements()) {
            const std::string patternPlace = at(place, std::to_string(index++));
            if (!pattern.isString() || pattern.string().empty() ||
                pattern.string().size() > kMaxPatternLength) {
                problem(patternPlace, "a path pattern is a non-empty string of at most " +
                                          std::to_string(kMaxPatternLength) + " bytes");
                return false;
            }
            out.emplace_back(pattern.string());
        }
        return true;
    }

    std::optional<std::string> text(JsonView rule, const std::string& place, const char* name) {
        const JsonView value = rule.member(name);
        if (value.isString() && !value.string().empty()) return std::string(value.string());
        problem(value.exists() ? at(place, name) : place,
                std::string("a site rule needs \"") + name + "\", a non-empty string");
        return std::nullopt;
    }

    bool readHead(JsonView rule, const std::string& place, SiteRule& out) {
        const auto code = text(rule, place, "code");
        if (!code) return false;
        if (!isSiteCode(*code)) {
            problem(at(place, "code"),
                    "a site rule's code is \"site_\" and then lower-case "
                    "letters, digits and \"_\" (at most 100 bytes)");
            return false;
        }
        if (!codes_.insert(*code).second) {
            problem(at(place, "code"), "the code " + *code + " names another site rule already");
            return false;
        }
        out.code = *code;
        const auto severity = text(rule, place, "severity");
        const auto description = text(rule, place, "description");
        const auto given = text(rule, place, "given");
        if (!severity || !description || !given) return false;
        const auto level = severityNamed(*severity);
        if (!level) {
            problem(at(place, "severity"), "the severity is \"error\", \"warning\" or \"note\"");
            return false;
        }
        const auto entity = siteEntityNamed(*given);
        if (!entity) {
            problem(at(place, "given"),
                    "\"given\" is \"server\", \"group\", \"bridge\" or \"vortapoint\"");
            return false;
        }
        out.severity = *level;
        out.description = *description;
        out.given = *entity;
        return true;
    }

    std::optional<SiteSchema> schema(JsonView value, const std::string& place,
                                     const std::string& code, const char* name) {
        if (!value.isObject() && !value.isBoolean()) {
            problem(place, std::string("\"") + name +
                               "\" is a draft-07 schema (an object or a "
                               "boolean)");
            return std::nullopt;
        }
        SiteSchema out;
        out.document = std::make_shared<const nlohmann::json>(value.toJson());
        // A rule's schema stands alone: a reference outside it reaches nothing.
        const SchemaCompilation compiled =
            compileSchema(out.document, "urn:orvex:site-rule:" + code + ":" + name,
                          [](const std::string&) { return nullptr; });
        if (!compiled.schema) {
            problem(place, std::string("\"") + name + "\" cannot be used: " + compiled.error);
            return std::nullopt;
        }
        out.compiled = compiled.schema;
        return out;
    }

    bool pointerMember(JsonView value, const std::string& place, std::optional<std::string>& out) {
        if (!value.isString() || !splitPointer(value.string())) {
            problem(place, "a JSON pointer (\"/lossGraceMs\") into the entity is expected");
            return false;
        }
        out = std::string(value.string());
        return true;
    }

    bool bounds(JsonView value, const std::string& place, SiteBounds& out) {
        for (const char* name : {"minimum", "maximum"}) {
            const JsonView bound = value.member(name);
            if (!bound.exists()) continue;
            if (!bound.isNumber()) {
                problem(at(place, name), std::string("\"") + name + "\" is a number");
                return false;
            }
            (name[1] == 'i' ? out.minimum : out.maximum) = bound.number();
        }
        if (out.minimum || out.maximum) return true;
        problem(place, "give \"minimum\", \"maximum\" or both");
        return false;
    }

    bool readAggregates(JsonView rule, const std::string& place, SiteRule& out) {
        const JsonView unique = rule.member("unique");
        if (unique.exists() && !pointerMember(unique, at(place, "unique"), out.unique))
            return false;
        const JsonView count = rule.member("count");
        if (count.exists()) {
            out.count.emplace();
            if (!count.isObject()) {
                problem(at(place, "count"),
                        "\"count\" is an object with \"minimum\" or \"maximum\"");
                return false;
            }
            if (!bounds(count, at(place, "count"), *out.count)) return false;
        }
        const JsonView sum = rule.member("sum");
        if (!sum.exists()) return true;
        if (!sum.isObject()) {
            problem(at(place, "sum"), "\"sum\" is an object with \"of\" and a bound");
            return false;
        }
        return pointerMember(sum.member("of"), at(at(place, "sum"), "of"), out.sumOf) &&
               bounds(sum, at(place, "sum"), out.sum);
    }

    bool readProfileNames(JsonView names, const std::string& place, SiteRule& out) {
        if (!names.exists()) return true;
        if (!names.isArray() || names.size() == 0) {
            problem(place, "\"profiles\" is a non-empty array of profile names");
            return false;
        }
        std::size_t index = 0;
        for (const JsonView name : names.elements()) {
            const std::string namePlace = at(place, std::to_string(index++));
            std::size_t found = 0;
            while (found < impl_.profiles.size() &&
                   (!name.isString() || impl_.profiles[found].name != name.string()))
                ++found;
            if (found == impl_.profiles.size()) {
                problem(namePlace, "no profile of this name is defined");
                return false;
            }
            out.profiles.push_back(found);
        }
        return true;
    }

    void readRule(JsonView rule, const std::string& place) {
        if (!rule.isObject()) return problem(place, "a site rule is an object");
        SiteRule out;
        if (!readHead(rule, place, out)) return;
        for (const char* name : {"when", "then"}) {
            const JsonView value = rule.member(name);
            if (!value.exists()) continue;
            auto compiled = schema(value, at(place, name), out.code, name);
            if (!compiled) return;
            (name[0] == 'w' ? out.when : out.then) = std::move(compiled);
        }
        if (!readAggregates(rule, place, out)) return;
        if (!readProfileNames(rule.member("profiles"), at(place, "profiles"), out)) return;
        if (!out.then && !out.unique && !out.count && !out.sumOf)
            return problem(place,
                           "a site rule checks something: \"then\", \"unique\", "
                           "\"count\" or \"sum\"");
        impl_.rules.push_back(std::move(out));
    }

  public:
    // Once every rule is in place: the views point into the rule's texts.
    static void explain(SiteRule& rule) {
        std::string checks;
        if (rule.then) checks += ", each must meet the rule's \"then\" schema";
        if (rule.unique) checks += ", no two may have one value at " + *rule.unique;
        if (rule.count) checks += ", their number is bounded";
        if (rule.sumOf) checks += ", the sum of " + *rule.sumOf + " is bounded";
        rule.explanation = "A site rule of the project file, about every " +
                           std::string(siteEntityName(rule.given)) +
                           (rule.when ? " that its \"when\" schema accepts" : "") +
                           (rule.profiles.empty() ? "" : ", in the deployments of its profiles") +
                           checks + ".";
        rule.info = {rule.code,
                     rule.severity,
                     rule.description,
                     rule.explanation,
                     "The project holds its deployments to it; the server itself does not.",
                     "Change the configuration at the reported place to meet the rule, or accept "
                     "the issue in the project file with a reason."};
    }

    SiteRuleSet& impl_;
    std::vector<Issue>& problems_;
    std::unordered_set<std::string> codes_;
};

}  // namespace

std::optional<SiteEntity> siteEntityNamed(std::string_view name) {
    for (const SiteEntity entity :
         {SiteEntity::Server, SiteEntity::Group, SiteEntity::Bridge, SiteEntity::Vortapoint})
        if (siteEntityName(entity) == name) return entity;
    return std::nullopt;
}

std::string_view siteEntityName(SiteEntity entity) {
    switch (entity) {
        case SiteEntity::Server:
            return "server";
        case SiteEntity::Group:
            return "group";
        case SiteEntity::Bridge:
            return "bridge";
        case SiteEntity::Vortapoint:
            return "vortapoint";
    }
    return "";
}

std::shared_ptr<const SiteRuleSet> readSiteRules(JsonView rules, std::vector<Issue>& issues) {
    return readSiteRules(rules, JsonView(), issues);
}

std::shared_ptr<const SiteRuleSet> readSiteRules(JsonView rules, JsonView profiles,
                                                 std::vector<Issue>& issues) {
    auto set = std::make_shared<SiteRuleSet>();
    RuleReader reader(*set, issues);
    reader.readProfiles(profiles, at("", kSiteProfilesMember));
    reader.readRules(rules, at("", kSiteRulesMember));
    for (SiteRule& rule : set->rules) RuleReader::explain(rule);
    if (set->rules.empty()) return nullptr;
    return set;
}

const IssueCodeInfo* describeSiteRule(const SiteRuleSet& rules, std::string_view code) {
    for (const SiteRule& rule : rules.rules)
        if (rule.code == code) return &rule.info;
    return nullptr;
}

std::vector<std::string> siteRuleCodes(const SiteRuleSet& rules) {
    std::vector<std::string> out;
    out.reserve(rules.rules.size());
    for (const SiteRule& rule : rules.rules) out.push_back(rule.code);
    return out;
}

std::string siteRuleDescription(const SiteRuleSet& rules, std::string_view code) {
    for (const SiteRule& rule : rules.rules)
        if (rule.code == code) return rule.description;
    return "";
}

}  // namespace OrvexConfigValidate
