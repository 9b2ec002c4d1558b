#include <algorithm>
#include <tuple>
#include <vector>

#include <orvexconfigvalidate/JsonWriter.hpp>
#include <orvexconfigvalidate/Report.hpp>

namespace OrvexConfigValidate {

namespace {

using Json = nlohmann::ordered_json;

Json issueJson(const Diagnostic& d) {
    Json issue = {{"severity", severityName(d.severity, "info")},
                  {"path", d.path.empty() ? Json() : Json(printable(d.path))},
                  {"code", d.code},
                  {"message", printable(d.message)},
                  {"line", nullptr},
                  {"column", nullptr}};
    if (d.position) {
        issue["line"] = d.position->line;
        issue["column"] = d.position->column;
    }
    if (!d.hint.empty()) issue["hint"] = printable(d.hint);
    if (d.related) {
        issue["related"] = {{"line", d.related->line}, {"column", d.related->column}};
    }
    return issue;
}

Json summaryJson(const Report& report) {
    const IssueCounts counts = countIssues(report);
    Json summary = {{"files", report.files.size()},
                    {"errors", counts.errors},
                    {"warnings", counts.warnings},
                    {"info", counts.infos}};
    if (report.deployments) summary["deployments"] = *report.deployments;
    if (report.accepted != 0) summary["accepted"] = report.accepted;
    std::size_t notShown = 0;
    for (const auto& file : report.files) notShown += file.notShown.total();
    if (notShown != 0) summary["notShown"] = notShown;
    return summary;
}

}  // namespace

IssueCounts countIssues(const Report& report) {
    IssueCounts counts;
    for (const auto& d : report.diagnostics) {
        if (!d.accepted) counts.add(d.severity);
    }
    for (const auto& file : report.files) counts += file.notShown;
    return counts;
}

std::vector<std::vector<const Diagnostic*>> diagnosticsByFile(const Report& report) {
    std::vector<std::vector<const Diagnostic*>> byFile(report.files.size());
    for (const Diagnostic& d : report.diagnostics) byFile.at(d.file).push_back(&d);
    return byFile;
}

const char* severityName(Severity severity, const char* infoName) {
    switch (severity) {
        case Severity::Error:
            return "error";
        case Severity::Warning:
            return "warning";
        default:
            return infoName;
    }
}

void sortDiagnostics(Report& report) {
    const auto place = [](const Diagnostic& d) {
        return std::make_tuple(d.file, d.position ? d.position->line : 0,
                               d.position ? d.position->column : 0);
    };
    const auto before = [&place](const Diagnostic& a, const Diagnostic& b) {
        return place(a) < place(b);
    };
    // Issues mostly come in the order of their text; moving each one's
    // strings around would cost more than looking.
    if (std::is_sorted(report.diagnostics.begin(), report.diagnostics.end(), before)) return;
    std::stable_sort(report.diagnostics.begin(), report.diagnostics.end(), before);
}

void writeJsonReport(const Report& report, const std::function<void(std::string_view)>& out) {
    // Members in the order a reader expects.
    const auto byFile = diagnosticsByFile(report);
    JsonWriter json(2);
    json.objectBegin().attributeBegin("files").arrayBegin();
    for (std::size_t i = 0; i < report.files.size(); ++i) {
        const FileEntry& file = report.files[i];
        json.objectBegin();
        json.attribute("file", printable(file.name)).attribute("schema", file.schemaId);
        json.attribute("ok", file.ok).attributeBegin("issues").arrayBegin();
        std::vector<const Diagnostic*> accepted;
        for (const Diagnostic* d : byFile[i]) {
            if (d->accepted) {
                accepted.push_back(d);
                continue;
            }
            json.value(issueJson(*d));
            out(json.take());
        }
        json.arrayEnd();
        if (!accepted.empty()) {
            // Listed only when asked for, each with the reason it was accepted.
            json.attributeBegin("accepted").arrayBegin();
            for (const Diagnostic* d : accepted) {
                Json issue = issueJson(*d);
                issue["reason"] = printable(d->acceptedReason);
                json.value(issue);
            }
            json.arrayEnd();
        }
        if (file.notShown.total() != 0) json.attribute("notShown", file.notShown.total());
        if (!file.checkedWith.empty()) json.attribute("checkedWith", printable(file.checkedWith));
        json.objectEnd();
    }
    json.arrayEnd().attribute("summary", summaryJson(report)).objectEnd();
    out(json.take() + "\n");
}

std::string jsonReportText(const Report& report) {
    std::string text;
    writeJsonReport(report, [&text](std::string_view piece) { text += piece; });
    return text;
}

}  // namespace OrvexConfigValidate
