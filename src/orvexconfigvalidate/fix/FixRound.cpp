#include <algorithm>
#include <cstddef>

#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

namespace {

// Fixes tried one at a time when a round's fixes together add an issue;
// each trial costs a check of the texts at most.
constexpr std::size_t kTrials = 8;

class Round {
  public:
    Round(const std::vector<std::string>& texts, const CheckTexts& check)
        : texts_(texts), check_(check), found_(check(texts)) {}

    std::vector<AppliedFixes> run() {
        std::vector<AppliedFixes> together = applyEach(found_.issues);
        if (!anyApplied(together) || addsNoIssue(together)) return together;
        return oneByOne();
    }

  private:
    // The issues are those of the check, or copies of some of them.
    std::vector<AppliedFixes> applyEach(const std::vector<Issue>& issues) const {
        std::vector<AppliedFixes> out;
        for (std::size_t s = 0; s < texts_.size(); ++s) {
            out.push_back(applySafeFixes(texts_[s], issues, static_cast<int>(s)));
        }
        return out;
    }

    static bool anyApplied(const std::vector<AppliedFixes>& fixed) {
        return std::any_of(fixed.begin(), fixed.end(),
                           [](const AppliedFixes& one) { return one.applied != 0; });
    }

    bool addsNoIssue(const std::vector<AppliedFixes>& fixed) const {
        std::vector<std::string> texts;
        texts.reserve(fixed.size());
        for (const AppliedFixes& one : fixed) texts.push_back(one.text);
        return bringsNoNewIssue(found_, check_(texts));
    }

    // The first safe fixes, in issue order, each on top of those kept so
    // far; one that clashes with them is not taken and costs no check.
    std::vector<AppliedFixes> oneByOne() const {
        std::vector<Issue> kept;
        std::size_t tried = 0;
        for (const Issue& issue : found_.issues) {
            for (const Fix& fix : issue.fixes) {
                if (!fix.safe) continue;
                if (tried++ == kTrials) return applyEach(kept);
                Issue alone = issue;
                alone.fixes = {fix};
                kept.push_back(std::move(alone));
                const std::vector<AppliedFixes> fixed = applyEach(kept);
                if (countOf(fixed) != kept.size() || !addsNoIssue(fixed)) kept.pop_back();
            }
        }
        return applyEach(kept);
    }

    static std::size_t countOf(const std::vector<AppliedFixes>& fixed) {
        std::size_t count = 0;
        for (const AppliedFixes& one : fixed) count += one.applied;
        return count;
    }

    const std::vector<std::string>& texts_;
    const CheckTexts& check_;
    const ValidationResult found_;
};

}  // namespace

std::vector<AppliedFixes> fixRound(const std::vector<std::string>& texts, const CheckTexts& check) {
    return Round(texts, check).run();
}

}  // namespace OrvexConfigValidate
