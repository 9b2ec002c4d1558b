#include "Check.hpp"

#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>
#include <orvexconfigvalidate/Project.hpp>
#include <orvexconfigvalidate/SiteRules.hpp>

namespace OrvexConfigValidate::Tool {

namespace {

// One validation call: its readable inputs, their report entries and the
// schema of a lone file.
struct Unit {
    std::string schemaId;
    std::vector<LoadedInput*> inputs;
    std::vector<std::size_t> entries;
};

// The library keeps what the report may list of the files of one call, and
// counts the rest.
ValidateOptions boundedOptions(const CheckOptions& check, std::size_t files) {
    ValidateOptions options = check.validate;
    options.maxIssues = check.maxIssues <= SIZE_MAX / files ? check.maxIssues * files : 0;
    return options;
}

// What one check read and judged: the result, and by source the texts kept
// for code-point columns and fixes (an empty view where none is).
struct Judged {
    ValidationResult result;
    std::vector<std::string_view> texts;
    // What each issue is about, taken while the documents are there.
    std::vector<IssueKey> keys{};
};

// The one check path of files and deployments: `judge` reads and validates
// (adding the report entries of the files it finds), the issues go to the
// report, and running out of memory on the way becomes one issue of the
// first file, once the documents parsed so far are let go.
template <class Judge>
void runCheck(Report& report, const std::vector<std::size_t>& entries, const CheckOptions& check,
              KeptDocuments& parsed, Judge judge) {
    try {
        Judged judged = judge();
        if (check.projects != nullptr) {
            check.projects->apply(report, judged.result, judged.keys, entries, check.validate);
        }
        addIssues(report, judged.result, entries, judged.texts, check.maxIssues, check.validate);
    } catch (const std::bad_alloc&) {
        parsed.clear();
        report.files.at(entries.front()).unreadable = true;
        addDiagnostic(report,
                      {entries.front(),
                       Severity::Error,
                       "/",
                       IssueCode::kOutOfMemory,
                       "not enough memory to check this file",
                       {}},
                      check.validate);
    }
}

// Reads the input without building its document: the parse keeps the
// input's buffer, which its lean document reads from, and takes it over.
ParsedText readLean(LoadedInput& input) {
    const auto buffer = std::make_shared<TextBuffer>(std::move(input.buffer));
    const std::string_view text(buffer->data(), input.size);
    ParsedText parsed = parseText(text, buffer);
    input.release();
    return parsed;
}

// The documents of a unit as its project's site rules read them.
SiteCheck siteCheckOf(const Unit& unit, KeptDocuments& parsed) {
    SiteCheck site;
    if (parsed.size() == 2) {
        site = {&parsed[0], &parsed[1], unit.inputs[0]->name, unit.inputs[1]->name, 0, 1};
    } else if (unit.schemaId == kServerSchemaId) {
        site = {&parsed[0], nullptr, unit.inputs[0]->name, "", 0, 1};
    } else if (unit.schemaId == kBridgesSchemaId) {
        site = {nullptr, &parsed[0], "", unit.inputs[0]->name, 0, 0};
    }
    return site;
}

Judged judgeUnit(Unit& unit, const CheckOptions& check, KeptDocuments& parsed) {
    const ValidateOptions options = boundedOptions(check, unit.inputs.size());
    // Every format reads the same document; one that counts columns in
    // characters, or lists fixes, reads the text the document keeps.
    for (LoadedInput* input : unit.inputs) parsed.push_back(readLean(*input));
    Judged judged;
    judged.result = parsed.size() == 2 ? validateTextPair(parsed[0], parsed[1], options)
                                       : validateText(unit.schemaId, parsed[0], options);
    for (std::size_t source = 0; check.countCharacters && source < parsed.size(); ++source) {
        addFixes(judged.result, parsed[source], static_cast<int>(source));
        judged.texts.push_back(parsed[source].text());
    }
    const bool lone = parsed.size() == 1 && unit.schemaId == kBridgesSchemaId;
    if (check.projects != nullptr) {
        addSiteIssues(*check.projects, siteCheckOf(unit, parsed), judged.result);
    }
    if (check.projects != nullptr && check.projects->wantsKeys(unit.inputs[0]->name)) {
        const bool bridges = parsed.size() == 2 || lone;
        judged.keys =
            issueKeysOf(judged.result, bridges ? parsed.back().root() : JsonView(), lone ? 0 : 1);
    }
    return judged;
}

// The texts were kept (for SARIF): the issues get their fixes.
void addDeploymentFixes(Deployment& deployment, const std::map<std::string, std::string>& texts) {
    const std::pair<const std::optional<ParsedText>*, const std::string*> sources[] = {
        {&deployment.server, &deployment.serverFile},
        {&deployment.bridges, &deployment.bridgesFile}};
    for (int source = 0; source < 2; ++source) {
        const auto& [parsed, path] = sources[source];
        const auto text = texts.find(*path);
        if (parsed->has_value() && text != texts.end()) {
            addFixes(deployment.result, **parsed, text->second, source);
        }
    }
}

// Where a file of a deployment is read: its own path, unless the unit
// reads a new version of it from elsewhere.
const std::string& readPathOf(const CheckUnit& unit, const std::string& path) {
    if (path == unit.paths.front()) return unit.readFrom.empty() ? path : unit.readFrom;
    return unit.bridgesReadFrom.empty() ? path : unit.bridgesReadFrom;
}

// Only the issues of the bridges file of a deployment, as those of the
// one text checked.
ValidationResult bridgesIssues(ValidationResult&& result) {
    ValidationResult only;
    for (Issue& issue : result.issues) {
        if (issue.source != 1) continue;
        issue.source = 0;
        only.issues.push_back(std::move(issue));
    }
    only.omitted = result.omittedInBridges;
    return only;
}

// A bridges file read from elsewhere (--config-test --bridges FILE) that
// could not be read is blamed by the name given, whether or not the file
// the server names is there.
void blameReadFrom(Deployment& deployment, const std::string& from, const std::string& error) {
    std::vector<Issue>& issues = deployment.result.issues;
    issues.erase(std::remove_if(issues.begin(), issues.end(),
                                [](const Issue& issue) {
                                    return issue.source == 1 ||
                                           issue.code == IssueCode::kMissingBridgesFile;
                                }),
                 issues.end());
    Issue unread;
    unread.path = "/";
    unread.code = IssueCode::kReadError;
    unread.message = error;
    unread.source = 1;
    deployment.result.addIssue(std::move(unread));
    deployment.bridgesFile = from;
    deployment.bridgesFound = true;
}

// The server file of a deployment with the bridges file it names, read and
// judged as the library's deployment rule finds them.
Deployment readDeployment(const CheckUnit& unit, const CheckOptions& check,
                          std::map<std::string, std::string>& texts) {
    DeploymentOptions options;
    options.validate = boundedOptions(check, 2);
    options.maxFileSize = check.maxSize;
    options.reading = unit.reading;
    // SARIF counts columns in code points, for which the texts are kept.
    std::string unreadBridges;
    options.read = [&texts, &check, &unit, &unreadBridges](const std::string& path) {
        const std::string& from = readPathOf(unit, path);
        const bool elsewhere = &from != &path;
        FileText read = unit.index && !elsewhere ? unit.index->read(path)
                                                 : readConfigurationFile(from, check.maxSize);
        if (check.countCharacters && read.text) texts[path] = *read.text;
        if (!read.text && elsewhere && path != unit.paths.front()) unreadBridges = read.error;
        return read;
    };
    Deployment deployment = checkDeployment(unit.paths.front(), options);
    if (!unreadBridges.empty()) blameReadFrom(deployment, unit.bridgesReadFrom, unreadBridges);
    addDeploymentFixes(deployment, texts);
    return deployment;
}

// The report entry of the bridges file; a FILE argument that the server
// names is reported under its own name, with the server named.
void addBridgesEntry(Report& report, std::vector<std::size_t>& entries, const CheckUnit& unit,
                     const Deployment& deployment) {
    if (!deployment.bridgesFound) return;
    entries.push_back(report.files.size());
    const bool claimed = !unit.claimedFile.empty();
    FileEntry entry{claimed ? unit.claimedFile : deployment.bridgesFile, kBridgesSchemaId, true,
                    false};
    if (claimed) entry.checkedWith = unit.paths.front();
    report.files.push_back(std::move(entry));
}

Judged judgedDeployment(Deployment&& deployment, const std::map<std::string, std::string>& texts,
                        bool claimed, std::size_t entryCount, ProjectRun* projects,
                        const std::string& keyFile) {
    Judged judged{std::move(deployment.result), {}};
    for (const std::string* file : {&deployment.serverFile, &deployment.bridgesFile}) {
        const auto text = texts.find(*file);
        judged.texts.push_back(text == texts.end() ? std::string_view()
                                                   : std::string_view(text->second));
    }
    if (claimed) {
        judged.texts.erase(judged.texts.begin());
        judged.result = bridgesIssues(std::move(judged.result));
    } else if (entryCount < 2) {
        judged.texts.resize(1);
    }
    if (projects != nullptr) {
        addSiteIssues(*projects,
                      {deployment.server ? &*deployment.server : nullptr,
                       deployment.bridges ? &*deployment.bridges : nullptr, deployment.serverFile,
                       deployment.bridgesFile, claimed ? -1 : 0, claimed ? 0 : 1},
                      judged.result);
    }
    if (projects != nullptr && projects->wantsKeys(keyFile)) {
        const JsonView bridges = deployment.bridges ? deployment.bridges->root() : JsonView();
        judged.keys = issueKeysOf(judged.result, bridges, claimed ? 0 : 1);
    }
    return judged;
}

// A deployment unit through the one check path. False when a FILE that a
// server file names could not be judged with that server after all (the
// server is unreadable or broken now), so that it is checked alone.
bool runDeployment(Report& report, const CheckUnit& unit, const CheckOptions& check,
                   KeptDocuments& parsed) {
    std::map<std::string, std::string> texts;
    std::vector<std::size_t> entries;
    if (unit.claimedFile.empty()) {
        entries.push_back(report.files.size());
        report.files.push_back({unit.paths.front(), kServerSchemaId, true, false});
        runCheck(report, entries, check, parsed, [&] {
            Deployment deployment = readDeployment(unit, check, texts);
            addBridgesEntry(report, entries, unit, deployment);
            if (unit.loneServer && deployment.bridgesFound) {
                report.files.at(entries.front()).checkedWith = deployment.bridgesFile;
            }
            return judgedDeployment(std::move(deployment), texts, false, entries.size(),
                                    check.projects, unit.paths.front());
        });
        return true;
    }
    std::optional<Deployment> deployment;
    try {
        deployment = readDeployment(unit, check, texts);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!deployment->bridges || !deployment->server || !deployment->server->ok()) return false;
    addBridgesEntry(report, entries, unit, *deployment);
    runCheck(report, entries, check, parsed, [&] {
        return judgedDeployment(std::move(*deployment), texts, true, entries.size(), check.projects,
                                unit.claimedFile);
    });
    return true;
}

// The files a unit checks on their own: a FILE that a server file names,
// when it could not be judged with that server file after all, is alone.
std::vector<std::string> pathsOf(const CheckUnit& unit) {
    if (unit.claimedFile.empty()) return unit.paths;
    return {unit.claimedFile};
}

// The unit's files; one read from elsewhere keeps the name it is reported under.
std::vector<LoadedInput> loadInputs(const CheckUnit& unit, const CheckOptions& options) {
    std::vector<LoadedInput> inputs;
    for (const auto& path : pathsOf(unit)) {
        const std::string& from = readPathOf(unit, path);
        inputs.push_back(loadInput(from, options.standardInput, options.maxSize));
        if (&from != &path) inputs.back().name = path;
    }
    return inputs;
}

}  // namespace

Report runChecks(const std::vector<CheckUnit>& units, const CheckOptions& options,
                 KeptDocuments* keep) {
    Report report;
    KeptDocuments parsed;
    for (const auto& check : units) {
        parsed.clear();
        if (check.deployment && runDeployment(report, check, options, parsed)) continue;
        std::vector<LoadedInput> inputs = loadInputs(check, options);
        Unit unit;
        unit.schemaId = check.schemaId;
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const std::string fileSchema =
                !check.pair ? check.schemaId : (i == 0 ? kServerSchemaId : kBridgesSchemaId);
            report.files.push_back({inputs[i].name, fileSchema, true, false});
            const std::size_t entry = report.files.size() - 1;
            if (inputs[i].error) {
                report.files[entry].unreadable = true;
                const InputError& error = *inputs[i].error;
                addDiagnostic(report, {entry, Severity::Error, "", error.code, error.message, {}},
                              options.validate);
                continue;
            }
            unit.inputs.push_back(&inputs[i]);
            unit.entries.push_back(entry);
            if (check.pair) unit.schemaId = fileSchema;
        }
        if (unit.inputs.empty()) continue;
        runCheck(report, unit.entries, options, parsed,
                 [&] { return judgeUnit(unit, options, parsed); });
    }
    if (keep != nullptr) *keep = std::move(parsed);
    sortDiagnostics(report);
    return report;
}

}  // namespace OrvexConfigValidate::Tool
