#include "siterules/SitePlaces.hpp"

#include <orvexconfigvalidate/Pointer.hpp>

#include "siterules/SiteRuleSet.hpp"

namespace OrvexConfigValidate {
namespace {

// Longest value shown in a fix's title.
constexpr std::size_t kTitleValue = 60;

}  // namespace

void placeSiteIssue(Issue& issue, const SiteRuleInput& input) {
    const ParsedText* text = issue.source == 0 ? input.serverText : input.bridgesText;
    const JsonView document = issue.source == 0 ? input.server : input.bridges;
    if (text == nullptr) return;
    issue.location = text->locate(issue.pointer);
    if (!issue.relatedPointer.empty()) issue.related = text->locate(issue.relatedPointer);
    if (issue.suggestion.empty() || !valueAt(document, issue.pointer).exists() ||
        !issue.location.known())
        return;
    Fix fix;
    fix.title = "Set to " + (issue.suggestion.size() > kTitleValue
                                 ? issue.suggestion.substr(0, kTitleValue) + "..."
                                 : issue.suggestion);
    fix.edits.push_back({issue.location.offset, issue.location.length, issue.suggestion});
    // The project's own rule names the value: nothing else is to be chosen.
    fix.safe = true;
    issue.fixes.push_back(std::move(fix));
}

std::optional<nlohmann::json> pinnedValue(const nlohmann::json& schema,
                                          const std::vector<std::string>& tokens) {
    const nlohmann::json* node = &schema;
    for (const std::string& token : tokens) {
        if (!node->is_object()) return std::nullopt;
        const auto properties = node->find("properties");
        const auto items = node->find("items");
        if (properties != node->end() && properties->is_object() && properties->contains(token)) {
            node = &(*properties)[token];
        } else if (items != node->end() && items->is_object()) {
            node = &*items;
        } else {
            return std::nullopt;
        }
    }
    if (!node->is_object()) return std::nullopt;
    if (const auto constant = node->find("const"); constant != node->end()) return *constant;
    const auto values = node->find("enum");
    if (values != node->end() && values->is_array() && values->size() == 1) return values->front();
    return std::nullopt;
}

}  // namespace OrvexConfigValidate
