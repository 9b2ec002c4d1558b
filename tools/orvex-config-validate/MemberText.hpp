// The member catalogue as people read it: one member in Markdown for an
// editor's hover and completion, and the reference page of every member.
#pragma once

#include <string>

#include <orvexconfigvalidate/MemberCatalogue.hpp>

namespace OrvexConfigValidate::Tool {

// The title in bold, the description, then its facts as a list: type,
// whether required, range, unit, values, what a missing or mistyped
// member reads as.
std::string memberMarkdown(const MemberEntry& entry);

// docs/configuration.md: every member of the catalogue, by file.
std::string memberReferencePage();

}  // namespace OrvexConfigValidate::Tool
