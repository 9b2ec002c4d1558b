// One round of --fix over the texts of one validation call: the safe fixes
// of a check, kept only when they add no issue.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

namespace OrvexConfigValidate::Tool {

// Checks the texts as they stand; an issue's source is its text's index.
using CheckTexts = std::function<ValidationResult(const std::vector<std::string>&)>;

// The safe fixes of each text, as applySafeFixes takes them from a check,
// when a check of the result finds no issue (by text, code, pointer and
// severity) that was not there before. Otherwise they are tried one at a
// time, at most a few checks' worth, and those that add no issue are kept;
// the others are left out. A round costs a bounded number of checks.
std::vector<AppliedFixes> fixRound(const std::vector<std::string>& texts, const CheckTexts& check);

}  // namespace OrvexConfigValidate::Tool
