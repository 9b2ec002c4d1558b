// Running the site rules over one deployment: "when" selects the entities,
// "then" judges each one, the aggregates judge them together. One work
// budget, sized by the documents, holds for the whole run.
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <utility>

#include <orvexconfigvalidate/Pointer.hpp>

#include "engine/JsonEquality.hpp"
#include "engine/WorkBudget.hpp"
#include "json/PointerText.hpp"
#include "siterules/SiteEntities.hpp"
#include "siterules/SitePlaces.hpp"

namespace OrvexConfigValidate {
namespace {

// Work allowed whatever the sizes, and per value of the documents: the
// number of rules is bounded, so this is a bound per value and rule too.
constexpr std::uint64_t kSiteWorkFloor = 8'000'000;
constexpr std::uint64_t kSiteWorkPerValue = 4096;
// Longest value text quoted in a message.
constexpr std::size_t kQuotedValue = 80;

struct Stopped {};

std::string numberText(double value) {
    if (std::nearbyint(value) == value && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

std::string quoted(JsonView value) {
    std::string text =
        value.toJson().dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    if (text.size() > kQuotedValue) text = text.substr(0, kQuotedValue) + "...";
    return text;
}

class RuleRun {
  public:
    RuleRun(const SiteRuleSet& rules, const SiteRuleInput& input, ValidationResult& result)
        : rules_(rules),
          input_(input),
          result_(result),
          deployment_(input),
          work_(kSiteWorkFloor +
                    kSiteWorkPerValue * (input.server.valueCount() + input.bridges.valueCount()),
                nullptr) {
        options_.sharedWork = &work_;
    }

    void run() {
        try {
            for (const SiteRule& rule : rules_.rules)
                if (inProfile(rule)) runRule(rule);
        } catch (const Stopped&) {
            stopped();
        } catch (const WorkExhausted&) {
            stopped();
        }
    }

  private:
    void stopped() {
        Issue issue;
        issue.severity = Severity::Error;
        issue.code = IssueCode::kSchemaEngine;
        issue.path = "/";
        issue.message = "the site rules need too much work for this deployment: stopped after " +
                        std::to_string(work_.limit()) + " steps";
        result_.addIssue(std::move(issue));
    }

    bool inProfile(const SiteRule& rule) const {
        if (rule.profiles.empty()) return true;
        for (const std::size_t index : rule.profiles)
            for (const std::string& pattern : rules_.profiles[index].patterns)
                for (const std::string* file : {&input_.serverFile, &input_.bridgesFile})
                    if (!file->empty() && sitePathMatches(pattern, *file)) return true;
        return false;
    }

    // The engine's issues of one evaluation; a run out of work stops all.
    std::vector<Issue> evaluate(const SiteSchema& schema, JsonView value) {
        ValidationResult scratch;
        evaluateSchema(*schema.compiled, value, scratch, options_);
        for (const Issue& issue : scratch.issues)
            if (issue.code == IssueCode::kSchemaEngine) throw Stopped{};
        return std::move(scratch.issues);
    }

    Issue issueOf(const SiteRule& rule, const SiteEntityRef& entity, const std::string& below,
                  const std::string& message) const {
        Issue issue;
        issue.severity = rule.severity;
        issue.code = rule.code;
        issue.source = entity.source;
        issue.pointer = entity.pointer + below;
        issue.path = issue.pointer.empty() ? "/" : issue.pointer;
        issue.id = std::string(entity.id);
        issue.message = rule.description + ": " + message;
        return issue;
    }

    void add(Issue issue) {
        placeSiteIssue(issue, input_);
        result_.addIssue(std::move(issue));
    }

    void runRule(const SiteRule& rule) {
        std::vector<SiteEntityRef> selected;
        for (SiteEntityRef& entity : deployment_.entities(rule.given))
            if (!rule.when || evaluate(*rule.when, entity.value).empty())
                selected.push_back(std::move(entity));
        if (rule.then)
            for (const SiteEntityRef& entity : selected) judge(rule, entity);
        if (rule.unique) unique(rule, selected);
        if (rule.count) count(rule, selected);
        if (rule.sumOf) sum(rule, selected);
    }

    void judge(const SiteRule& rule, const SiteEntityRef& entity) {
        for (const Issue& violation : evaluate(*rule.then, entity.value)) {
            Issue issue = issueOf(rule, entity, violation.pointer, violation.message);
            if (const auto tokens = splitPointer(violation.pointer)) {
                if (const auto pinned = pinnedValue(*rule.then->document, *tokens))
                    issue.suggestion =
                        pinned->dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
            }
            add(std::move(issue));
        }
    }

    void unique(const SiteRule& rule, const std::vector<SiteEntityRef>& selected) {
        // Values by hash; equal as JSON values (1 and 1.0 are one number).
        std::unordered_map<std::size_t, std::vector<std::size_t>> seen;
        for (std::size_t i = 0; i < selected.size(); ++i) {
            const JsonView value = valueAt(selected[i].value, *rule.unique);
            if (!value.exists()) continue;
            auto& bucket = seen[jsonHash(value, &work_)];
            const SiteEntityRef* first = nullptr;
            for (const std::size_t j : bucket)
                if (jsonEqual(valueAt(selected[j].value, *rule.unique), value, &work_)) {
                    first = &selected[j];
                    break;
                }
            if (first == nullptr) {
                bucket.push_back(i);
                continue;
            }
            Issue issue = issueOf(rule, selected[i], *rule.unique,
                                  quoted(value) + " is also at " + first->pointer + *rule.unique);
            issue.relatedPointer = first->pointer + *rule.unique;
            add(std::move(issue));
        }
    }

    void outOfBounds(const SiteRule& rule, SiteEntity kind, double value, const SiteBounds& bounds,
                     const std::string& what) {
        const bool low = bounds.minimum && value < *bounds.minimum;
        const bool high = bounds.maximum && value > *bounds.maximum;
        SiteEntityRef place;
        if ((!low && !high) || !deployment_.container(kind, place)) return;
        add(issueOf(rule, place, "",
                    what + " is " + numberText(value) +
                        (low ? ", less than the minimum " + numberText(*bounds.minimum)
                             : ", more than the maximum " + numberText(*bounds.maximum))));
    }

    void count(const SiteRule& rule, const std::vector<SiteEntityRef>& selected) {
        outOfBounds(rule, rule.given, static_cast<double>(selected.size()), *rule.count,
                    "the number of " + std::string(siteEntityName(rule.given)) + "s");
    }

    void sum(const SiteRule& rule, const std::vector<SiteEntityRef>& selected) {
        double total = 0;
        for (const SiteEntityRef& entity : selected) {
            work_.charge(1);
            const JsonView value = valueAt(entity.value, *rule.sumOf);
            if (value.isNumber()) total += value.number();
        }
        outOfBounds(rule, rule.given, total, rule.sum,
                    "the sum of " + *rule.sumOf + " over the " +
                        std::string(siteEntityName(rule.given)) + "s");
    }

    const SiteRuleSet& rules_;
    const SiteRuleInput& input_;
    ValidationResult& result_;
    SiteDeployment deployment_;
    WorkBudget work_;
    EvaluationOptions options_;
};

}  // namespace

void applySiteRules(const SiteRuleSet& rules, const SiteRuleInput& input,
                    ValidationResult& result) {
    RuleRun(rules, input, result).run();
}

}  // namespace OrvexConfigValidate
