#include "Report.hpp"

#include <algorithm>
#include <tuple>
#include <vector>

#include "SafeText.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

const char* const kBold = "\033[1m";
const char* const kReset = "\033[0m";

const char* severityColour(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return "\033[1;31m";
        case Severity::Warning:
            return "\033[1;35m";
        default:
            return "\033[1;36m";
    }
}

struct Counts {
    std::size_t errors = 0;
    std::size_t warnings = 0;
    std::size_t notes = 0;
};

Counts countSeverities(const Report& report) {
    Counts counts;
    for (const auto& d : report.diagnostics) {
        if (d.severity == Severity::Error) ++counts.errors;
        if (d.severity == Severity::Warning) ++counts.warnings;
        if (d.severity == Severity::Info) ++counts.notes;
    }
    return counts;
}

std::string counted(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string fixesText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " fix" : " fixes");
}

}  // namespace

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

int exitStatus(const Report& report) {
    int status = 0;
    for (const auto& file : report.files) {
        if (file.unreadable) return 2;
        if (!file.ok) status = 1;
    }
    return status;
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

std::string formatText(const Report& report, bool colour) {
    std::string out;
    std::vector<std::string> names;
    names.reserve(report.files.size());
    for (const auto& file : report.files) names.push_back(printable(file.name));
    for (const auto& d : report.diagnostics) {
        std::string where = names.at(d.file);
        if (d.position) {
            where +=
                ":" + std::to_string(d.position->line) + ":" + std::to_string(d.position->column);
        }
        const std::string severity = severityName(d.severity, "note");
        if (colour) {
            out.append(kBold).append(where).append(":").append(kReset).append(" ");
            out.append(severityColour(d.severity)).append(severity).append(":").append(kReset);
        } else {
            out.append(where).append(": ").append(severity).append(":");
        }
        out += " ";
        // The pointer of a place inside the file; nothing for the file as a whole.
        if (!d.path.empty() && d.path != "/") out += printable(d.path) + ": ";
        out += printable(d.message);
        if (!d.hint.empty()) out += " (" + printable(d.hint) + ")";
        out += " [" + d.code + "]\n";
    }
    return out + summaryLine(report);
}

std::string summaryLine(const Report& report) {
    const Counts counts = countSeverities(report);
    const std::string deployments =
        report.deployments ? counted(*report.deployments, "deployment") + ", " : "";
    return deployments + counted(report.files.size(), "file") +
           " checked: " + counted(counts.errors, "error") + ", " +
           counted(counts.warnings, "warning") + ", " + counted(counts.notes, "note") +
           (report.fixesApplied ? "; " + fixesText(*report.fixesApplied) + " applied" : "") + "\n";
}

nlohmann::ordered_json formatJson(const Report& report) {
    // Ordered, so that members appear in the order a reader expects.
    using Json = nlohmann::ordered_json;
    Json files = Json::array();
    for (const auto& file : report.files) {
        files.push_back({{"file", printable(file.name)},
                         {"schema", file.schemaId},
                         {"ok", file.ok},
                         {"issues", Json::array()}});
    }
    for (const auto& d : report.diagnostics) {
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
        files.at(d.file)["issues"].push_back(issue);
    }
    const Counts counts = countSeverities(report);
    Json summary = {{"files", report.files.size()},
                    {"errors", counts.errors},
                    {"warnings", counts.warnings},
                    {"info", counts.notes}};
    if (report.deployments) summary["deployments"] = *report.deployments;
    return {{"files", files}, {"summary", summary}};
}

std::string formatJsonText(const Report& report) {
    return formatJson(report).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace OrvexConfigValidate::Tool
