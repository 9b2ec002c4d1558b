#include "review/CompareReport.hpp"

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Escape.hpp>
#include <orvexconfigvalidate/JsonWriter.hpp>

#include <orvexconfigvalidate/Report.hpp>
#include "Report.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

// Values are shown on one line, cut short: a whole added group can be long.
constexpr std::size_t kShownValue = 100;

std::string compact(const nlohmann::json& value) {
    return jsonText(value);
}

std::string shown(const nlohmann::json& value) {
    std::string text = compact(value);
    if (text.size() > kShownValue) text = text.substr(0, kShownValue - 3) + "...";
    return printable(text);
}

const char* kindName(Change::Kind kind) {
    switch (kind) {
        case Change::Kind::Added:
            return "added";
        case Change::Kind::Removed:
            return "removed";
        case Change::Kind::Renamed:
            return "renamed";
        case Change::Kind::Changed:
            break;
    }
    return "changed";
}

// As the check's reports say it: "note" for people, "info" in JSON.
const char* severityName(Severity severity) {
    return OrvexConfigValidate::severityName(severity, "note");
}

const std::string& fileOf(const Change& change, const ComparedFiles& files) {
    return change.newPointer.empty() ? files.before[change.source] : files.after[change.source];
}

// "group 'g1'", "group 'g1' (was 'g0')", or "" outside groups and bridges.
std::string elementOf(const std::string& element, const std::string& id, const std::string& oldId) {
    if (element.empty()) return "";
    std::string text = element + " '" + printable(id) + "'";
    if (!oldId.empty()) text += " (was '" + printable(oldId) + "')";
    return text;
}

// Member names are the document's: escaped like every text from it.
std::string pointers(const Change& change) {
    if (change.oldPointer.empty()) {
        return change.newPointer.empty() ? "/" : printable(change.newPointer);
    }
    if (change.newPointer.empty() || change.newPointer == change.oldPointer) {
        return printable(change.oldPointer);
    }
    return printable(change.oldPointer) + " -> " + printable(change.newPointer);
}

std::string values(const Change& change) {
    switch (change.kind) {
        case Change::Kind::Added:
            return shown(change.newValue);
        case Change::Kind::Removed:
            return shown(change.oldValue);
        case Change::Kind::Renamed:
            return "";
        case Change::Kind::Changed:
            break;
    }
    return shown(change.oldValue) + " -> " + shown(change.newValue);
}

std::string issueWhere(const IssueChange& change, const ComparedFiles& files, bool introduced) {
    const Issue& issue = change.issue;
    std::string where =
        printable(introduced ? files.after[issue.source] : files.before[issue.source]);
    if (issue.location.known()) {
        where +=
            ":" + std::to_string(issue.location.line) + ":" + std::to_string(issue.location.column);
    }
    return where;
}

std::string issueLine(const IssueChange& change, const ComparedFiles& files, bool introduced) {
    const Issue& issue = change.issue;
    std::string text = issueWhere(change, files, introduced) + ": " + severityName(issue.severity) +
                       ": " + printable(issue.message) + " [" + issue.code + "]";
    return text;
}

std::string countLine(const Comparison& comparison) {
    return std::to_string(comparison.changes.size()) + " change" +
           (comparison.changes.size() == 1 ? "" : "s") + ", " +
           std::to_string(comparison.introduced.size()) + " new issue" +
           (comparison.introduced.size() == 1 ? "" : "s") + ", " +
           std::to_string(comparison.resolved.size()) + " issue" +
           (comparison.resolved.size() == 1 ? "" : "s") + " gone";
}

nlohmann::json issueJson(const IssueChange& change, const ComparedFiles& files, bool introduced) {
    const Issue& issue = change.issue;
    nlohmann::json out = {
        {"severity", OrvexConfigValidate::severityName(issue.severity, "info")},
        {"code", issue.code},
        {"message", issue.message},
        {"file", introduced ? files.after[issue.source] : files.before[issue.source]},
        {"pointer", issue.pointer},
        {"element", change.key.element},
        {"id", change.key.id},
        {"member", change.key.member},
    };
    if (issue.location.known()) {
        out["line"] = issue.location.line;
        out["column"] = issue.location.column;
    }
    return out;
}

}  // namespace

std::string compareText(const Comparison& comparison, const ComparedFiles& files) {
    std::string out;
    for (const Change& change : comparison.changes) {
        out += printable(fileOf(change, files)) + ": " + kindName(change.kind);
        const std::string element = elementOf(change.element, change.id, change.oldId);
        if (!element.empty()) out += " " + element;
        out += " " + pointers(change);
        const std::string shownValues = values(change);
        if (!shownValues.empty()) out += ": " + shownValues;
        out += "\n";
    }
    for (const IssueChange& change : comparison.introduced) {
        out += "new issue: " + issueLine(change, files, true) + "\n";
    }
    for (const IssueChange& change : comparison.resolved) {
        out += "issue gone: " + issueLine(change, files, false) + "\n";
    }
    return out + countLine(comparison) + "\n";
}

std::string compareMarkdown(const Comparison& comparison, const ComparedFiles& files) {
    std::string out = "### Configuration changes\n\n";
    if (comparison.changes.empty()) out += "No change.\n";
    for (const Change& change : comparison.changes) {
        out += "- **" + std::string(kindName(change.kind)) + "** " +
               markdownCode(fileOf(change, files));
        const std::string element = elementOf(change.element, change.id, change.oldId);
        if (!element.empty()) out += " " + markdownCode(element);
        out += " " + markdownCode(pointers(change));
        const std::string shownValues = values(change);
        if (!shownValues.empty()) out += ": " + markdownCode(shownValues);
        out += "\n";
    }
    const auto section = [&out, &files](const char* title, const std::vector<IssueChange>& list,
                                        bool introduced) {
        out += std::string("\n### ") + title + "\n\n";
        if (list.empty()) out += "None.\n";
        for (const IssueChange& change : list) {
            out += "- **" + std::string(severityName(change.issue.severity)) + "** " +
                   markdownCode(change.issue.code) + " " +
                   markdownCode(issueWhere(change, files, introduced)) + ": " +
                   markdownCode(change.issue.message) + "\n";
        }
    };
    section("New issues", comparison.introduced, true);
    section("Issues gone", comparison.resolved, false);
    return out + "\n" + countLine(comparison) + "\n";
}

std::string compareJson(const Comparison& comparison, const ComparedFiles& files) {
    nlohmann::json changes = nlohmann::json::array();
    for (const Change& change : comparison.changes) {
        nlohmann::json each = {{"kind", kindName(change.kind)},
                               {"file", fileOf(change, files)},
                               {"element", change.element},
                               {"id", change.id}};
        if (change.kind == Change::Kind::Renamed) each["oldId"] = change.oldId;
        if (change.kind != Change::Kind::Added) {
            each["oldPointer"] = change.oldPointer;
            each["oldValue"] = change.oldValue;
        }
        if (change.kind != Change::Kind::Removed) {
            each["newPointer"] = change.newPointer;
            each["newValue"] = change.newValue;
        }
        changes.push_back(std::move(each));
    }
    nlohmann::json introduced = nlohmann::json::array();
    for (const IssueChange& change : comparison.introduced) {
        introduced.push_back(issueJson(change, files, true));
    }
    nlohmann::json resolved = nlohmann::json::array();
    for (const IssueChange& change : comparison.resolved) {
        resolved.push_back(issueJson(change, files, false));
    }
    const nlohmann::json out = {{"same", comparison.same()},
                                {"changes", std::move(changes)},
                                {"newIssues", std::move(introduced)},
                                {"goneIssues", std::move(resolved)}};
    return jsonText(out, 2) + "\n";
}

}  // namespace OrvexConfigValidate::Tool
