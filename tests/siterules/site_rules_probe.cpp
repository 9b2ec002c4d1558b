// Runs the site rules of a project file over one deployment and prints
// their issues as JSON lines, for the tests that hold them to independent
// implementations. Usage: site_rules_probe PROJECT SERVER|- BRIDGES|- [NAME]
// (NAME: the deployment's server file as profiles see it).
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/SiteRules.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace {

std::optional<OrvexConfigValidate::ParsedText> readJson(const std::string& path) {
    if (path == "-") return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    OrvexConfigValidate::ParsedText parsed = OrvexConfigValidate::parseText(text);
    if (!parsed.ok()) throw std::runtime_error("cannot parse " + path);
    return parsed;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace OrvexConfigValidate;
    if (argc < 4) {
        std::cerr << "usage: site_rules_probe PROJECT SERVER|- BRIDGES|- [NAME]\n";
        return 2;
    }
    try {
        const auto project = readJson(argv[1]);
        const auto server = readJson(argv[2]);
        const auto bridges = readJson(argv[3]);
        std::vector<Issue> problems;
        const auto rules = readSiteRules(project->root().member(kSiteRulesMember),
                                         project->root().member(kSiteProfilesMember), problems);
        for (const Issue& problem : problems)
            std::cout << nlohmann::json{{"problem", problem.pointer}, {"message", problem.message}}
                      << "\n";
        if (!rules) return 0;
        SiteRuleInput input;
        if (server) input.server = server->root(), input.serverText = &*server;
        if (bridges) input.bridges = bridges->root(), input.bridgesText = &*bridges;
        input.serverFile = argc > 4 ? argv[4] : "orvexbridged_conf.json";
        ValidationResult result;
        applySiteRules(*rules, input, result);
        for (const Issue& issue : result.issues) {
            nlohmann::json fixes = nlohmann::json::array();
            for (const Fix& fix : issue.fixes)
                for (const TextEdit& edit : fix.edits)
                    fixes.push_back({edit.offset, edit.length, edit.newText});
            std::cout << nlohmann::json{{"code", issue.code},
                                        {"source", issue.source},
                                        {"pointer", issue.pointer},
                                        {"related", issue.relatedPointer},
                                        {"severity", static_cast<int>(issue.severity)},
                                        {"line", issue.location.line},
                                        {"fixes", fixes},
                                        {"message", issue.message}}
                      << "\n";
        }
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 2;
    }
    return 0;
}
