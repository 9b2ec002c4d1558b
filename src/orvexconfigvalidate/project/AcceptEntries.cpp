// New "accept" entries written into a project file's text, one a line,
// after those it has; the rest of the text is kept byte for byte.
#include <string>
#include <unordered_set>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Project.hpp>

#include "project/ProjectText.hpp"

namespace OrvexConfigValidate {

namespace {

std::string quoted(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string entryText(const IssueIdentity& identity, const std::string& reason,
                      const std::string& expires) {
    std::string text =
        "{\"code\": " + quoted(identity.code) + ", \"file\": " + quoted(identity.file);
    if (!identity.element.empty()) text += ", \"element\": " + quoted(identity.element);
    if (!identity.id.empty()) text += ", \"id\": " + quoted(identity.id);
    if (!identity.member.empty()) text += ", \"member\": " + quoted(identity.member);
    if (identity.occurrence != 0)
        text += ", \"occurrence\": " + std::to_string(identity.occurrence);
    text += ", \"reason\": " + quoted(reason);
    if (!expires.empty()) text += ", \"expires\": " + quoted(expires);
    return text + "}";
}

std::string entryLines(const std::vector<IssueIdentity>& identities, const std::string& reason,
                       const std::string& expires, const std::string& indent) {
    std::string lines;
    for (const IssueIdentity& identity : identities) {
        if (!lines.empty()) lines += ",\n";
        lines += indent + entryText(identity, reason, expires);
    }
    return lines;
}

std::string memberText(JsonView entry, const char* name) {
    const JsonView value = entry.member(name);
    return value.isString() ? std::string(value.string()) : std::string();
}

IssueIdentity entryIdentity(JsonView entry) {
    const JsonView occurrence = entry.member("occurrence");
    return {memberText(entry, "code"),
            memberText(entry, "file"),
            memberText(entry, "element"),
            memberText(entry, "id"),
            memberText(entry, "member"),
            occurrence.isIntegral() ? static_cast<std::size_t>(occurrence.unsignedInteger()) : 0};
}

}  // namespace

std::string addAcceptEntries(std::string_view projectText,
                             const std::vector<IssueIdentity>& identities,
                             const std::string& reason, const std::string& expires) {
    const ParsedText parsed = parseText(projectText);
    if (!projectText.empty() && !parsed.ok()) return std::string(projectText);
    // The identities that entries name already, as the reader reads them.
    std::unordered_set<std::string> skip;
    const JsonView list = projectText.empty() ? JsonView() : parsed.root().member("accept");
    for (std::size_t i = 0; i < list.size(); ++i) {
        skip.insert(identityText(entryIdentity(list.element(i))));
    }
    std::vector<IssueIdentity> fresh;
    for (const IssueIdentity& identity : identities) {
        if (skip.insert(identityText(identity)).second) fresh.push_back(identity);
    }
    if (projectText.empty()) {
        return "{\n  \"accept\": [\n" + entryLines(fresh, reason, expires, "    ") + "\n  ]\n}\n";
    }
    if (fresh.empty()) return std::string(projectText);
    const JsonView root = parsed.root();
    const std::string lines = entryLines(fresh, reason, expires, "    ");
    if (list.isArray() && list.size() > 0) {
        const TextLocation last = parsed.locate("/accept/" + std::to_string(list.size() - 1));
        return applyEdits(projectText, {{last.offset + last.length, 0, ",\n" + lines}});
    }
    if (list.isArray()) {
        const TextLocation empty = parsed.locate("/accept");
        return applyEdits(projectText, {{empty.offset, empty.length, "[\n" + lines + "\n  ]"}});
    }
    const TextLocation top = parsed.locate("");
    const std::string member =
        "\n  \"accept\": [\n" + lines + "\n  ]" + (root.size() > 0 ? "," : "\n");
    return applyEdits(projectText, {{top.offset + 1, 0, member}});
}

}  // namespace OrvexConfigValidate
