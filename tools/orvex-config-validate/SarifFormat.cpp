#include "SarifFormat.hpp"

#include <cstdio>
#include <filesystem>
#include <map>

#include <orvexconfigvalidate/JsonWriter.hpp>

#include "OutputText.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

using Json = nlohmann::ordered_json;

const char* const kStdinName = "<stdin>";

bool unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::string percentEncoded(const std::string& path) {
    std::string out;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (unreserved(byte) || c == '/') {
            out += c;
        } else {
            char buffer[4];
            std::snprintf(buffer, sizeof buffer, "%%%02X", byte);
            out += buffer;
        }
    }
    return out;
}

Json ruleOf(const IssueCodeInfo& info) {
    return {{"id", info.code},
            {"shortDescription", {{"text", info.summary}}},
            {"fullDescription", {{"text", info.explanation}}},
            {"help", {{"text", std::string(info.impact) + " " + std::string(info.fix)}}},
            {"defaultConfiguration", {{"level", severityName(info.severity, "note")}}}};
}

// The rules: every code of the table, then any code the report holds that
// the table lacks, so that every result has its rule.
struct Rules {
    Json list = Json::array();
    std::map<std::string, std::size_t, std::less<>> index;

    void add(const std::string& code, Json rule) {
        if (index.count(code) != 0) return;
        index.emplace(code, list.size());
        list.push_back(std::move(rule));
    }
};

Rules rulesFor(const Report& report) {
    Rules rules;
    for (const auto& info : issueCodes()) rules.add(std::string(info.code), ruleOf(info));
    for (const auto& d : report.diagnostics) {
        rules.add(d.code,
                  {{"id", d.code},
                   {"shortDescription", {{"text", d.code}}},
                   {"defaultConfiguration", {{"level", severityName(d.severity, "note")}}}});
    }
    return rules;
}

std::size_t columnOf(const TextPosition& position) {
    return position.characterColumn != 0 ? position.characterColumn : position.column;
}

// Each fix changes the one file of its result.
Json fixesOf(const Diagnostic& d, const std::string& uri) {
    Json fixes = Json::array();
    for (const DiagnosticFix& fix : d.fixes) {
        Json replacements = Json::array();
        for (const FixReplacement& replacement : fix.replacements) {
            replacements.push_back(
                {{"deletedRegion",
                  {{"startLine", replacement.start.line},
                   {"startColumn", columnOf(replacement.start)},
                   {"endLine", replacement.end.line},
                   {"endColumn", columnOf(replacement.end)}}},
                 {"insertedContent", {{"text", printableText(replacement.text)}}}});
        }
        fixes.push_back({{"description", {{"text", printable(fix.title)}}},
                         {"artifactChanges", Json::array({{{"artifactLocation", {{"uri", uri}}},
                                                           {"replacements", replacements}}})}});
    }
    return fixes;
}

Json resultOf(const Report& report, const Diagnostic& d, const Rules& rules,
              const std::string& workingDirectory) {
    Json location = Json::object();
    const std::string& name = report.files.at(d.file).name;
    if (name != kStdinName) {
        // A problem of the whole file (it cannot be read) is shown at its start,
        // as code-scanning viewers place a result only by its region.
        const std::size_t line = d.position ? d.position->line : 1;
        std::size_t column = 1;
        if (d.position) {
            column =
                d.position->characterColumn != 0 ? d.position->characterColumn : d.position->column;
        }
        location["physicalLocation"] = {
            {"artifactLocation", {{"uri", artifactUri(name, workingDirectory)}}},
            {"region", {{"startLine", line}, {"startColumn", column}}}};
    }
    // The pointer of a place inside the file; the whole file ("/") has none.
    if (!d.path.empty() && d.path != "/") {
        location["logicalLocations"] =
            Json::array({{{"fullyQualifiedName", printable(d.path)}, {"kind", "element"}}});
    }
    Json result = {{"ruleId", d.code},
                   {"ruleIndex", rules.index.find(d.code)->second},
                   {"level", severityName(d.severity, "note")},
                   {"message", {{"text", issueText(d, false)}}}};
    if (!location.empty()) result["locations"] = Json::array({location});
    // Keyed by what the issue is about, so that a result keeps its identity
    // when groups are reordered or lines move.
    result["partialFingerprints"] = {{"orvexIdentity/v1", fingerprintOf(report, d)}};
    if (d.accepted) {
        result["suppressions"] =
            Json::array({{{"kind", "external"}, {"justification", printable(d.acceptedReason)}}});
    }
    if (!d.fixes.empty() && name != kStdinName) {
        result["fixes"] = fixesOf(d, artifactUri(name, workingDirectory));
    }
    return result;
}

}  // namespace

std::string artifactUri(const std::string& fileName, const std::string& workingDirectory) {
    namespace fs = std::filesystem;
    fs::path path(fileName);
    if (path.is_absolute()) path = path.lexically_relative(workingDirectory);
    path = path.lexically_normal();
    std::string text = path.generic_string();
    if (text.empty()) text = ".";
    return percentEncoded(text);
}

void writeSarif(const Report& report, const std::string& workingDirectory,
                std::string_view toolVersion, OutputSink& out) {
    const Rules rules = rulesFor(report);
    Json driver = {{"name", "orvex-config-validate"},
                   {"version", toolVersion},
                   {"informationUri", "https://schemas.orvex.example/orvex-config-validate"},
                   {"rules", rules.list}};
    // Columns are code points when the texts were kept to count them (the
    // tool does so for this format); bytes otherwise, the same on ASCII lines.
    Json run = {{"tool", {{"driver", driver}}}, {"columnKind", "unicodeCodePoints"}};
    Json notShown = Json::array();
    for (std::size_t file = 0; file < report.files.size(); ++file) {
        if (report.files[file].notShown.total() == 0) continue;
        notShown.push_back(
            {{"level", "note"}, {"message", {{"text", notShownText(report, file)}}}});
    }
    for (std::size_t file = 0; file < report.files.size(); ++file) {
        if (report.files[file].checkedWith.empty()) continue;
        notShown.push_back(
            {{"level", "note"}, {"message", {{"text", checkedWithText(report, file)}}}});
    }
    if (!notShown.empty()) {
        run["invocations"] = Json::array(
            {{{"executionSuccessful", true}, {"toolExecutionNotifications", notShown}}});
    }
    // The results, last, are written one by one, so that the whole log
    // never stands in memory.
    JsonWriter json(2);
    json.objectBegin().attribute("$schema", "https://json.schemastore.org/sarif-2.1.0.json");
    json.attribute("version", "2.1.0").attributeBegin("runs").arrayBegin().objectBegin();
    for (const auto& member : run.items()) json.attribute(member.key(), member.value());
    json.attributeBegin("results").arrayBegin();
    for (const Diagnostic& d : report.diagnostics) {
        json.value(resultOf(report, d, rules, workingDirectory));
        out << json.take();
    }
    json.arrayEnd().objectEnd().arrayEnd().objectEnd();
    out << json.take() << "\n";
}

std::string formatSarif(const Report& report, const std::string& workingDirectory,
                        std::string_view toolVersion) {
    return collected(
        [&](OutputSink& out) { writeSarif(report, workingDirectory, toolVersion, out); });
}

}  // namespace OrvexConfigValidate::Tool
