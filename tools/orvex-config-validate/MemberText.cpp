#include "MemberText.hpp"

#include <string_view>

namespace OrvexConfigValidate::Tool {

namespace {

std::string valuesText(const MemberEntry& entry) {
    std::string text;
    for (const auto& [value, name] : entry.enumerators) {
        text += (text.empty() ? "" : ", ") + ("`" + std::to_string(value) + "`");
        if (!name.empty()) text += " " + name;
    }
    return text;
}

std::string factsList(const MemberEntry& entry) {
    std::string facts = "- Type: " + entry.type + (entry.required ? ", required" : "") + "\n";
    if (!entry.range.empty()) facts += "- Range: " + entry.range + "\n";
    if (!entry.unit.empty()) facts += "- Unit: " + entry.unit + "\n";
    if (!entry.enumerators.empty()) facts += "- Values: " + valuesText(entry) + "\n";
    facts += "- Missing or mistyped: " +
             (entry.whenMissing.empty() ? std::string("not read by the checks")
                                        : "read as " + entry.whenMissing) +
             "\n";
    return facts;
}

struct Section {
    const char* schemaId;
    const char* heading;
    const char* about;
};

const Section kSections[] = {
    {"BridgingServerConfiguration", "The server file (`orvexbridged_conf.json`)",
     "Schema `BridgingServerConfiguration`."},
    {"BridgingConfiguration", "The bridges file (`bridges.json`)",
     "Schema `BridgingConfiguration`; each element of `groups` is a group (below)."},
    {"Group", "A group (each element of the bridges file's `groups`)", "Schema `Group`."},
    {"NetworkAddress", "A network address", "Schema `NetworkAddress`; no other schema uses it."},
    {"Obs", "The envelope of a server file and its bridges file",
     "Schema `Obs`, what the tool checks a server file and its bridges file as; it takes no "
     "other member."},
};

}  // namespace

std::string memberMarkdown(const MemberEntry& entry) {
    return "**" + entry.title + "**\n\n" + entry.description + "\n\n" + factsList(entry);
}

std::string memberReferencePage() {
    std::string page =
        "# Configuration reference\n\n"
        "<!-- Written by orvex_member_reference from the library's member catalogue; a test "
        "holds this page to it. -->\n\n"
        "Every member that the built-in schemas name, by file, with what the server reads when "
        "it is missing or not of its type. `*` stands for any element of an array. The schemas "
        "accept members they do not name (except the envelope's root); `--strict` reports "
        "them. The language server shows the same text on hover and completion.\n";
    for (const Section& section : kSections) {
        page += std::string("\n## ") + section.heading + "\n\n" + section.about + "\n";
        for (const MemberEntry& entry : memberCatalogue()) {
            if (entry.schemaId != section.schemaId) continue;
            page += "\n### `" + entry.pattern + "`\n\n" + memberMarkdown(entry);
        }
    }
    return page;
}

}  // namespace OrvexConfigValidate::Tool
