// The site rules in a run of the tool: the project of each check's files,
// their names relative to its folder, and the sources of the check.
#include <filesystem>
#include <utility>

#include <orvexconfigvalidate/Project.hpp>
#include <orvexconfigvalidate/SiteRules.hpp>

namespace OrvexConfigValidate {
namespace {

std::string relativeTo(const std::string& folder, const std::string& file) {
    if (file.empty()) return "";
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path absolute = fs::absolute(file, error);
    const fs::path base = fs::absolute(folder.empty() ? "." : folder, error);
    return absolute.lexically_normal().lexically_relative(base.lexically_normal()).generic_string();
}

}  // namespace

void addSiteIssues(ProjectRun& projects, const SiteCheck& check, ValidationResult& result) {
    if (check.server == nullptr && check.bridges == nullptr) return;
    const std::string& first =
        check.serverSource >= 0 && !check.serverFile.empty() ? check.serverFile : check.bridgesFile;
    const Project* project = projects.projectOf(first);
    if (project == nullptr || !project->siteRules) return;
    SiteRuleInput input;
    if (check.server != nullptr && check.server->ok()) {
        input.server = check.server->root();
        input.serverText = check.server;
        input.serverFile = relativeTo(project->folder, check.serverFile);
    }
    if (check.bridges != nullptr && check.bridges->ok()) {
        input.bridges = check.bridges->root();
        input.bridgesText = check.bridges;
        input.bridgesFile = relativeTo(project->folder, check.bridgesFile);
    }
    if (!input.server.exists() && !input.bridges.exists()) return;
    ValidationResult found;
    applySiteRules(*project->siteRules, input, found);
    for (Issue& issue : found.issues) {
        const int source = issue.source == 0 ? check.serverSource : check.bridgesSource;
        if (source < 0) continue;
        issue.source = source;
        result.addIssue(std::move(issue));
    }
}

}  // namespace OrvexConfigValidate
