// A comparison written for people (text, Markdown for a pull-request
// comment) and for programs (JSON).
#pragma once

#include <string>

#include <orvexconfigvalidate/Compare.hpp>

namespace OrvexConfigValidate::Tool {

// The names shown for each file of the two versions: [source].
struct ComparedFiles {
    std::string before[2];
    std::string after[2];
};

std::string compareText(const Comparison& comparison, const ComparedFiles& files);
std::string compareMarkdown(const Comparison& comparison, const ComparedFiles& files);
std::string compareJson(const Comparison& comparison, const ComparedFiles& files);

}  // namespace OrvexConfigValidate::Tool
